;*************************
PRG 0
CPAR1=5
CPAR1=2
V1=EO2
CPAR2=258
END
