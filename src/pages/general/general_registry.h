#pragma once
// The registry values the General Setting page reads and writes, each listed
// once as a row; display_settings, touch_panel and memory_division work
// through them.
#include "platform/registry_setting.h"

namespace talvon::general_registry {

// The display driver's mode.
inline constexpr char DisplayModeKey[] = "Drivers\\Display\\MQ200";
inline constexpr RegistrySetting DisplayWidth{DisplayModeKey, "CxScreen", REG_DWORD, 4};
inline constexpr RegistrySetting DisplayHeight{DisplayModeKey, "CyScreen", REG_DWORD, 4};
inline constexpr RegistrySetting DisplayBpp{DisplayModeKey, "Bpp", REG_DWORD, 4};
inline constexpr RegistrySetting DisplayFreq{DisplayModeKey, "Freq", REG_DWORD, 4};

// The two touch drivers: which one is in use, and on which port.
inline constexpr char SerialTouchKey[] = "Drivers\\BuiltIn\\Dmc9x00";
inline constexpr char UsbTouchKey[] = "Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0";
inline constexpr RegistrySetting UsbTouchMode{UsbTouchKey, "Mode", REG_DWORD, 4};
inline constexpr RegistrySetting SerialTouchPort{SerialTouchKey, "Port", REG_DWORD, 4};
inline constexpr RegistrySetting SerialTouchPmode{SerialTouchKey, "pmode", REG_DWORD, 4};

// A division of RAM that took effect at once, in pages of storage.
inline constexpr RegistrySetting MemDivision{"Velmar", "MemDivision", REG_DWORD, 4};

}  // namespace talvon::general_registry
