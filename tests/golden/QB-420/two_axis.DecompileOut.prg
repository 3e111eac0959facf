;*************************
PRG 1
SLX=2
SLY=3
JOGX+
JOGY-
X100Y-200
STOP
STOPY
SR1=1
END
