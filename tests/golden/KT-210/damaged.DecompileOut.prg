=
=+
IF  = 
 HSPD=abc
 STOP7
 ECLEAR9
 LTX=
 END
