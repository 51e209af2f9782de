// Touch panel selection on a simulated controller: exactly which driver
// values each button clears and sets, and a selection whose flush fails;
// on a registry in memory, a driver key that is missing.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/fakes.h"
#include "pages/general/general_registry.h"
#include "pages/general/touch_panel.h"
#include "platform/templates/ids_134.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

using namespace ids134;
using namespace general_registry;

constexpr int kGeneralTab = 0;

class TouchPanelTest : public SimPageTest {
 protected:
  // Calibration as a driver leaves it: every value the switch clears, and
  // the first ones it must leave alone.
  void Calibrate(std::string_view key) {
    SetDword(key, "CalibPoints", 5);
    for (int n = 0; n <= 16; ++n) {
      SetDword(key, "X_" + std::to_string(n), 100 + n);
      SetDword(key, "Y_" + std::to_string(n), 200 + n);
    }
  }
  std::set<std::string> Names(std::string_view key) {
    std::set<std::string> names;
    if (const sim::RegistryKey* k = Store().Find(key)) {
      for (std::size_t i = 0; i < k->ValueCount(); ++i) names.insert(k->ValueAt(i).name);
    }
    return names;
  }
};

TEST_F(TouchPanelTest, EachSwitchClearsEveryCalibrationValueOfTheOtherDriverToTheLast) {
  Calibrate(UsbTouchKey);
  Calibrate(SerialTouchKey);
  std::set<std::string> usb = Names(UsbTouchKey);
  std::set<std::string> serial = Names(SerialTouchKey);
  std::set<std::string> cleared = {"CalibPoints"};
  for (int n = 0; n <= 15; ++n) {
    cleared.insert("X_" + std::to_string(n));
    cleared.insert("Y_" + std::to_string(n));
  }
  for (const std::string& name : cleared) {
    usb.erase(name);
    serial.erase(name);
  }
  usb.insert("Mode");
  serial.insert("Port");
  serial.insert("pmode");

  Run([&] { ASSERT_EQ(Driver().Click(ShowTab(kGeneralTab), kSerialButton), DriverResult::Done); });
  EXPECT_EQ(Names(UsbTouchKey), usb);  // X_16 and Y_16 stay, X_15 and Y_15 go
  EXPECT_EQ(Dword(UsbTouchKey, "Mode"), 1u);
  EXPECT_EQ(Dword(SerialTouchKey, "Port"), 2u);
  EXPECT_EQ(Dword(SerialTouchKey, "X_15"), 115u);  // RS232 leaves the serial calibration alone

  Run([&] { ASSERT_EQ(Driver().Click(ShowTab(kGeneralTab), kUsbIcon), DriverResult::Done); });
  EXPECT_EQ(Names(SerialTouchKey), serial);
  EXPECT_EQ(Dword(SerialTouchKey, "pmode"), 1u);
  EXPECT_EQ(Dword(SerialTouchKey, "Port"), 0u);
  EXPECT_EQ(Names(UsbTouchKey), usb);  // USB touches only the serial key
  EXPECT_TRUE(boxes.empty());
}

TEST_F(TouchPanelTest, ASelectionWhoseFlushFailsIsReportedAndTheStoredRegistryStillBoots) {
  Calibrate(SerialTouchKey);
  SetDword(SerialTouchKey, "Port", 2);
  ASSERT_EQ(Controller().GetPlatform().registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  FailRegistryFlushes();
  const std::vector<std::uint8_t> area = RegistryArea();
  Run([&] {
    Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(ShowTab(kGeneralTab), kUsbButton), DriverResult::Done);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "RegFlushKey failed\nThe touch panel selection could not be stored in flash memory and is lost when the "
            "controller restarts. Please press Confirm Registry to store it again.");
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[0].style, 48u);
  EXPECT_EQ(Dword(SerialTouchKey, "Port"), 0u);  // in force until the restart
  EXPECT_TRUE(RegistryArea() == area);
  Reboot();
  EXPECT_EQ(Dword(SerialTouchKey, "Port"), 2u);
  EXPECT_EQ(Dword(SerialTouchKey, "X_15"), 115u);
}

TEST(TouchPanel, ADriverKeyThatIsMissingIsSkippedAndNeverCreated) {
  FakeRegistry registry;
  registry.AddKey(SerialTouchKey);
  FakeProcesses processes;
  const TouchSelection selection = talvon::SelectSerialTouch({registry, processes});
  EXPECT_TRUE(selection.flushed);
  EXPECT_TRUE(selection.calibrationStarted);
  EXPECT_FALSE(registry.keys.contains(Lower(UsbTouchKey)));
  EXPECT_EQ(registry.keys[Lower(SerialTouchKey)]["port"].data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
  EXPECT_EQ(registry.flushes, 1);
  EXPECT_EQ(processes.started, std::vector<std::string>{SerialCalibrationProgram});
}

}  // namespace
}  // namespace talvon::test
