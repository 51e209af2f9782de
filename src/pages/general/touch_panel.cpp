#include "pages/general/touch_panel.h"

#include <string>

#include "pages/general/general_registry.h"

namespace talvon {
namespace {

using namespace general_registry;

TouchSelection FlushAndCalibrate(const TouchPanelRoles& roles, const char* program) {
  TouchSelection selection;
  selection.flushed = roles.registry.FlushKey(HKEY_LOCAL_MACHINE) == ERROR_SUCCESS;
  selection.calibrationStarted = roles.processes.CreateProcess(program, false, nullptr);
  return selection;
}

}  // namespace

void ClearTouchCalibration(SettingsKey& key) {
  key.DeleteValue("CalibPoints");
  for (int n = 0; n < 16; ++n) {
    key.DeleteValue("X_" + std::to_string(n));
    key.DeleteValue("Y_" + std::to_string(n));
  }
}

// The drivers' values are written without a report: the calibration program
// that follows shows the operator whether the panel answers.
TouchSelection SelectSerialTouch(const TouchPanelRoles& roles) {
  if (SettingsKey usb(roles.registry, UsbTouchKey); usb.IsOpen()) {
    ClearTouchCalibration(usb);
    usb.WriteDword(UsbTouchMode, 1);
  }
  if (SettingsKey serial(roles.registry, SerialTouchKey); serial.IsOpen()) serial.WriteDword(SerialTouchPort, 2);
  return FlushAndCalibrate(roles, SerialCalibrationProgram);
}

TouchSelection SelectUsbTouch(const TouchPanelRoles& roles) {
  if (SettingsKey serial(roles.registry, SerialTouchKey); serial.IsOpen()) {
    ClearTouchCalibration(serial);
    serial.WriteDword(SerialTouchPmode, 1);
    serial.WriteDword(SerialTouchPort, 0);
  }
  return FlushAndCalibrate(roles, UsbCalibrationProgram);
}

}  // namespace talvon
