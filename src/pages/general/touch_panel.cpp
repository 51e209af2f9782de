#include "pages/general/touch_panel.h"

#include <cstdint>
#include <string>

#include "platform/little_endian.h"

namespace talvon {
namespace {

void SetDword(Registry& registry, HKEY key, const char* name, std::uint32_t value) {
  const auto bytes = Le32Bytes(value);
  registry.SetValue(key, name, REG_DWORD, bytes.data(), bytes.size());  // a failed write is not reported
}

TouchSelection FlushAndCalibrate(const TouchPanelRoles& roles, const char* program) {
  TouchSelection selection;
  selection.flushed = roles.registry.FlushKey(HKEY_LOCAL_MACHINE) == ERROR_SUCCESS;
  selection.calibrationStarted = roles.processes.CreateProcess(program, false, nullptr);
  return selection;
}

}  // namespace

void ClearTouchCalibration(Registry& registry, HKEY key) {
  registry.DeleteValue(key, "CalibPoints");
  for (int n = 0; n < 16; ++n) {
    registry.DeleteValue(key, "X_" + std::to_string(n));
    registry.DeleteValue(key, "Y_" + std::to_string(n));
  }
}

TouchSelection SelectSerialTouch(const TouchPanelRoles& roles) {
  Registry& registry = roles.registry;
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, UsbTouchKey, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    ClearTouchCalibration(registry, key);
    SetDword(registry, key, "Mode", 1);
    registry.CloseKey(key);
  }
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, SerialTouchKey, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    SetDword(registry, key, "Port", 2);
    registry.CloseKey(key);
  }
  return FlushAndCalibrate(roles, SerialCalibrationProgram);
}

TouchSelection SelectUsbTouch(const TouchPanelRoles& roles) {
  Registry& registry = roles.registry;
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, SerialTouchKey, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    ClearTouchCalibration(registry, key);
    SetDword(registry, key, "pmode", 1);
    SetDword(registry, key, "Port", 0);
    registry.CloseKey(key);
  }
  return FlushAndCalibrate(roles, UsbCalibrationProgram);
}

}  // namespace talvon
