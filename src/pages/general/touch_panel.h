#pragma once
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/registry_setting.h"

namespace talvon {

inline constexpr char SerialCalibrationProgram[] = "\\windows\\Calibrate_serial.exe";
inline constexpr char UsbCalibrationProgram[] = "\\windows\\Calibrate_usb.exe";

struct TouchPanelRoles {
  Registry& registry;
  Processes& processes;
};

struct TouchSelection {
  // The registry could be stored in flash; when not, the selection holds
  // only until the controller restarts.
  bool flushed = true;
  // The calibration program could be started (whatever became of the flush).
  bool calibrationStarted = true;
};

// Deletes "CalibPoints", then X_n and Y_n for n = 0 to 15, from an open key.
// Values that are not there are no error.
void ClearTouchCalibration(SettingsKey& key);

// The drivers' keys and values are rows of general_registry.h.
// RS232: clears the USB driver's calibration and sets its "Mode" to 1, sets
// the serial driver's "Port" to 2, flushes the registry and starts the serial
// calibration program. A key that cannot be opened is skipped.
TouchSelection SelectSerialTouch(const TouchPanelRoles& roles);
// USB: clears the serial driver's calibration, sets its "pmode" to 1 and
// "Port" to 0 (the USB key is left alone), flushes and starts the USB
// calibration program.
TouchSelection SelectUsbTouch(const TouchPanelRoles& roles);

}  // namespace talvon
