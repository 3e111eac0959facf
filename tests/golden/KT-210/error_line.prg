' demo

HSPD = 100
; note
V1 = 1

IF V1 > 0
END
