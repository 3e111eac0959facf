;*************************
PRG 0
V1=1000
HSPD=5000
ACC=200
WHILE V1 > 0
 X-1000
 WAITX
 V1=V1-1
 GOSUB 5
ENDWHILE 
DO=3
END
;*************************
SUB 5
 IF DI2 = 1
  DO1=1
 ELSE
  DO1=0
 ENDIF 
 DELAY=100
ENDSUB 
