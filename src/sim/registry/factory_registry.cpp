#include "sim/registry/factory_registry.h"

namespace talvon::sim {

namespace {

// What a new controller ships with: the display at 640 x 480, 16 bpp,
// 60 Hz; the serial touch driver selected and calibrated; the FTP, Telnet
// and HTTP servers running without authentication and no service password;
// two start-up programs; the four on-board serial ports. Communication
// modules in the slots get their ports (COM5 to COM8) only when the
// operator registers them, so those keys are absent here.
constexpr std::string_view FactoryRegistryText = R"REG(REGEDIT4

; Factory registry of a Talvon controller.

[HKEY_LOCAL_MACHINE\Ident]
"Name"="TALVON"
"Desc"="Talvon programmable automation controller"
"OrigName"="TALVON"

[HKEY_LOCAL_MACHINE\Init]
"Launch10"="shell.exe"
"Launch20"="device.exe"
"Launch30"="gwes.exe"
"Depend30"=hex:14,00
"Launch50"="explorer.exe"
"Depend50"=hex:14,00,1e,00
"Launch60"="servicesStart.exe"
"Depend60"=hex:14,00
"Launch80"="\\Windows\\VelmarAgent.exe"
"Depend80"=hex:14,00,1e,00
"Launch81"="\\CompactFlash\\Velmar\\Startup\\LumexRuntime.exe"
"Launch82"=""
"Launch85"=""

[HKEY_LOCAL_MACHINE\Velmar]
"MemDivision"=dword:00001000
"Pa1"=hex:
"Pa2"=dword:00000000
"Model"="T5x5x"

[HKEY_LOCAL_MACHINE\Drivers]

[HKEY_LOCAL_MACHINE\Drivers\Display]

[HKEY_LOCAL_MACHINE\Drivers\Display\MQ200]
"Dll"="ddi_mq200.dll"
"CxScreen"=dword:00000280
"CyScreen"=dword:000001e0
"Bpp"=dword:00000010
"Freq"=dword:0000003c
"Rotation"=dword:00000000

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn]

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Dmc9x00]
"Dll"="dmc9x00.dll"
"Prefix"="TCH"
"Index"=dword:00000001
"Order"=dword:00000001
"Port"=dword:00000002
"pmode"=dword:00000000
"CalibPoints"=dword:00000005
"X_0"=dword:00000200
"Y_0"=dword:00000200
"X_1"=dword:00000060
"Y_1"=dword:00000070
"X_2"=dword:00000060
"Y_2"=dword:00000390
"X_3"=dword:000003a0
"Y_3"=dword:00000390
"X_4"=dword:000003a0
"Y_4"=dword:00000070

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Serial1]
"FriendlyName"="Velmar-COM1-Backplane"
"IClass"="CC5195AC-BA49-48a0-BE17-DF6D1B0173DD"
"DeviceArrayIndex"=dword:00000000
"IoLen"=dword:00000010
"IoBase"=dword:08000000
"SysIntr"=dword:00000024
"Irq"=dword:00000000
"Index"=dword:00000001
"Order"=dword:00000000
"Dll"="talvon_uart.dll"
"Prefix"="COM"

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Serial2]
"FriendlyName"="Velmar-COM2-RS232"
"IClass"="CC5195AC-BA49-48a0-BE17-DF6D1B0173DD"
"DeviceArrayIndex"=dword:00000001
"IoLen"=dword:00000010
"IoBase"=dword:08000010
"SysIntr"=dword:00000025
"Irq"=dword:00000000
"Index"=dword:00000002
"Order"=dword:00000000
"Dll"="talvon_uart.dll"
"Prefix"="COM"

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Serial2\Unimodem]
"DevConfig"=hex:10,00,00,00,05,00,00,00,10,01,00,00,00,4b,00,00,00,00,08,00,00,\
  00,00,00,00
"FriendlyName"="Serial Cable on COM2"
"DeviceType"=dword:00000000
"Tsp"="Unimodem.dll"

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Serial3]
"FriendlyName"="Velmar-COM3-RS485"
"IClass"="CC5195AC-BA49-48a0-BE17-DF6D1B0173DD"
"DeviceArrayIndex"=dword:00000002
"IoLen"=dword:00000010
"IoBase"=dword:08000020
"SysIntr"=dword:00000026
"Irq"=dword:00000000
"Index"=dword:00000003
"Order"=dword:00000000
"Dll"="talvon_uart.dll"
"Prefix"="COM"

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\Serial4]
"FriendlyName"="Velmar-COM4-Debug"
"IClass"="CC5195AC-BA49-48a0-BE17-DF6D1B0173DD"
"DeviceArrayIndex"=dword:00000003
"IoLen"=dword:00000010
"IoBase"=dword:08000030
"SysIntr"=dword:00000027
"Irq"=dword:00000000
"Index"=dword:00000004
"Order"=dword:00000000
"Dll"="talvon_uart.dll"
"Prefix"="COM"

[HKEY_LOCAL_MACHINE\Drivers\USB]

[HKEY_LOCAL_MACHINE\Drivers\USB\ClientDrivers]

[HKEY_LOCAL_MACHINE\Drivers\USB\ClientDrivers\PenMount_USB_HID_Class_Driver]
"Dll"="PenMountUSB.dll"

[HKEY_LOCAL_MACHINE\Drivers\USB\ClientDrivers\PenMount_USB_HID_Class_Driver\0]
"Mode"=dword:00000000

[HKEY_LOCAL_MACHINE\Comm]

[HKEY_LOCAL_MACHINE\Comm\FTPD]
"Dll"="ftpd.dll"
"Prefix"="FTP"
"Index"=dword:00000000
"IsEnabled"=dword:00000001
"UseAuthentication"=dword:00000000
"AllowAnonymous"=dword:00000001
"AllowAnonymousUpload"=dword:00000001
"AllowAnonymousVroots"=dword:00000001
"DefaultDir"="\\CompactFlash"

[HKEY_LOCAL_MACHINE\Comm\TELNETD]
"Dll"="telnetd.dll"
"Prefix"="TEL"
"Index"=dword:00000000
"IsEnabled"=dword:00000001
"UseAuthentication"=dword:00000000

[HKEY_LOCAL_MACHINE\Comm\HTTPD]
"Dll"="httpd.dll"
"Prefix"="HTP"
"Index"=dword:00000000
"IsEnabled"=dword:00000001
"Port"=dword:00000050
"Basic"=dword:00000000
"NTLM"=dword:00000000
"DirBrowse"=dword:00000001
"DefaultPage"="default.htm;index.htm"

[HKEY_LOCAL_MACHINE\Comm\HTTPD\VROOTS]

[HKEY_LOCAL_MACHINE\Comm\HTTPD\VROOTS\/]
@="\\Windows\\www\\wwwpub"
"Default"="\\Windows\\www\\wwwpub"
"a"=dword:00000000

[HKEY_LOCAL_MACHINE\Comm\HTTPD\VROOTS\/Velmar]
@="\\CompactFlash\\Velmar\\Web"
"a"=dword:00000000
)REG";

}  // namespace

std::string_view DefaultFactoryRegistry() { return FactoryRegistryText; }

}  // namespace talvon::sim
