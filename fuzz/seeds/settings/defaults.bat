@echo off
REM The Menu Program reads/writes to this file.  Please boot the disk and allow the Menu Software to modify this file. The password field is Encypted!
REM *** Do not change the order of the commands in this batch file. (Or the Position of the equal signs!) ***
rem NETCARD=EL3C574
Set WORKGROUP=WORKGROUP
Set USERNAME=Kestrune
::: PASSWORD=rwlpq
Set DISABLEDHCP=0
Set IPADDRESS0=192 168 1 123
Set SUBNETMASK0=255 255 255 0
Set DEFAULTGATEWAY0=192 168 1 254 
Set LOGONSCRIPT=LOGON.BAT
rem TIMEOUT=20
Set DNS=192 168 1 1
Set WKSTN=KZ123456
Set PACKET=1
Set DNSENABLE=1
Set MOUSE=1
Set REDIRECTOR=BASIC
Set NTFS=0
Set CD=0
Set UDMA=0
Set WINS=192 168 1 1
