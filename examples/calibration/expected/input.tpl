ptf #
 #SimMode       #        !       simMode= the simulation mode. If we have &instantaneous we set it to 0 if we have broadpulse we set it to 1                                                             
 #Dcx           #	!	D=hydrodynamic	dispersion	coefficient	[cm^2/hr]                                                                                                                                      
 #R1             #       !	kc=clogging	rate	constant	[1/hr]                                                                                                                                              
 #R2             #       !	kr=declogging	rate	constant	[1/hr]                                                                                                                                            
 #Kirr           # 	!	lambda=inactivation	constant	of	suspended	viruses	[1/hr]                                                                                                                           
 #U             #	!	U=average	interstitial	velocity	[cm/hr]                                                                                                                                              
 #tp             #	!	pulsetime=pulse	time	[hr]                                                                                                                                                           
 #th            #	!	theta=porosity	[-]                                                                                                                                                                   
 #l2             #	!	lambdaS=inactivation	constant	of	adsorbed	viruses	[1/hr]                                                                                                                            
 #C0             #       !	conc0=source	concentration	[g/cm^3]                                                                                                                                           
 1.86	                !	rho=bulk	density	of	the	solid	matrix	[g/cm^3]                                                                                                                                    
 #M0             #       !  Space for future reference   !  m0=injected mass in case of instantaneous simulation                                                                                         
 #A0             #       !  Space for future reference   !    A0=Crossection area in a case of instantaneous simulation                                                                                  
 Saved_Simulations\Total_Runs1.txt                                                                                                                                                                       
 2.3E-4  0.3  300   !ERRREL2,ERRABS2 , limit!  left are three numbers, ! ERRREL2 = Relative &accuracy desired  ! ERRABS2 = Absolute accuracy desired ! Limit =max subdivisions                           
 t (Time),      x(X coordinate)                                                                                                                                                                          
  2.0000000E+00     3.0000000E+01
  2.5000000E+00     3.0000000E+01
  3.0000000E+00     3.0000000E+01
  3.5000000E+00     3.0000000E+01
  4.0000000E+00     3.0000000E+01
  4.5000000E+00     3.0000000E+01
  5.0000000E+00     3.0000000E+01
  5.5000000E+00     3.0000000E+01
  6.0000000E+00     3.0000000E+01
  6.5000000E+00     3.0000000E+01
  7.0000000E+00     3.0000000E+01
  7.5000000E+00     3.0000000E+01
  8.0000000E+00     3.0000000E+01
  8.5000000E+00     3.0000000E+01
  9.0000000E+00     3.0000000E+01
  9.5000000E+00     3.0000000E+01
  1.0000000E+01     3.0000000E+01
  1.0500000E+01     3.0000000E+01
  1.1000000E+01     3.0000000E+01
  1.1500000E+01     3.0000000E+01
  1.2000000E+01     3.0000000E+01
  1.2500000E+01     3.0000000E+01
  1.3000000E+01     3.0000000E+01
  1.3500000E+01     3.0000000E+01
  1.4000000E+01     3.0000000E+01
  1.4500000E+01     3.0000000E+01
  1.5000000E+01     3.0000000E+01
  1.5500000E+01     3.0000000E+01
  1.6000000E+01     3.0000000E+01
  1.6500000E+01     3.0000000E+01
  1.7000000E+01     3.0000000E+01
  1.7500000E+01     3.0000000E+01
  1.8000000E+01     3.0000000E+01
  1.8500000E+01     3.0000000E+01
  1.9000000E+01     3.0000000E+01
  1.9500000E+01     3.0000000E+01
  2.0000000E+01     3.0000000E+01
  2.0500000E+01     3.0000000E+01
  2.1000000E+01     3.0000000E+01
  2.1500000E+01     3.0000000E+01
