#pragma once
// What the simulated controller's stand-ins for its own programs do when
// the panel shows them: the registry viewer, the two touch calibration
// programs, the ActiveX registration script and the regional settings
// applet. Their files under fs/ are small shell scripts that end at once;
// a window that shows the panel (src/qt) recognises them by path and plays
// the program there. A program that is not a stand-in, such as a real
// binary put in a stand-in's place, is only ever started as a process.
//
// Does not model: the programs' own dialogs beyond what is shown, ActiveX
// registration itself, or any change of locale.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "sim/registry/registry_store.h"

namespace talvon::sim {

enum class StandInProgram {
  None,
  RegistryViewer,       // "\windows\RegView.exe"
  SerialCalibration,    // "\windows\Calibrate_serial.exe"
  UsbCalibration,       // "\windows\Calibrate_usb.exe"
  ActiveXRegistration,  // "\compactflash\Vantro-I\Lumex\RegistryOCX.bat"
  RegionalSettings,     // "\Windows\intll.cpl"
};

// The stand-in a controller path starts: one of the paths above (any case,
// '\' or '/'), whose file under `fsRoot` is still a script. None otherwise.
StandInProgram StandInAt(const std::filesystem::path& fsRoot, std::string_view controllerPath);

// ---- Registry viewer ----

// One line of the viewer's tree: a key, or a value under its key.
struct RegistryViewLine {
  int depth = 0;       // 0 for the keys right under HKEY_LOCAL_MACHINE
  bool isKey = false;
  std::string text;    // a key's name, or "name = data" ("(Default)" for the unnamed value)
};

// Every key of the tree with its values after it, then its subkeys, in the
// registry's own order.
std::vector<RegistryViewLine> RegistryViewLines(const RegistryStore& store);
// A value's data as the viewer shows it: text in quotes, numbers in hex
// and decimal, bytes in hex (the first 32, then their count).
std::string RegistryViewData(const RegistryValue& value);

// ---- Touch calibration ----

// A point on the 640 x 480 panel, in pixels.
struct PanelPoint {
  int x = 0;
  int y = 0;
};

// The targets of the calibration screen, in the order the operator taps
// them: the centre, then the corners anticlockwise from the top left.
std::vector<PanelPoint> CalibrationTargets();
// Whether a tap is taken as the reading of a target: it must land within
// kCalibrationTapReach panel pixels of the target's centre. A tap further
// off is a slip of the finger or a touch elsewhere, and the target is asked
// for again rather than stored as a point of the calibration.
inline constexpr int kCalibrationTapReach = 48;
bool CalibrationTapAccepted(PanelPoint target, PanelPoint tap);
// The key of the touch driver the program calibrates; empty for another program.
std::string_view CalibrationKey(StandInProgram program);
// The touch controller's reading of a tap: 0 to 1023 across the panel on
// each axis.
PanelPoint TouchReading(PanelPoint tap);
// Stores the readings of the taps where the touch driver reads them
// ("CalibPoints" and X_n, Y_n in the driver's key, all REG_DWORD) and makes
// them permanent. ERROR_SUCCESS, or the first error of the registry.
long StoreTouchCalibration(Registry& registry, StandInProgram program, std::span<const PanelPoint> taps);

// ---- ActiveX registration and regional settings ----

// What the registration script would do: the controls in its folder
// (files ending in .ocx or .dll) it would register, one line each.
std::vector<std::string> ActiveXRegistrationPlan(const std::filesystem::path& fsRoot);
// What the regional settings applet would offer to change.
std::vector<std::string> RegionalSettingsPlan();

}  // namespace talvon::sim
