#include <gtest/gtest.h>

#include "app/app_fixture.h"

namespace talvon::test {
namespace {

using HomeScreen = AppTest;

TEST_F(HomeScreen, EveryPageExistsHiddenBeforeTheHomeScreenIsFirstShown) {
  Run([&] {
    for (int i = 0; i <= 4; ++i) ASSERT_NE(Session().ConfigurationPage(i), nullptr);
    ASSERT_NE(Session().infoPage, nullptr);
    EXPECT_TRUE(backend.IsWindowVisible(Home()));
    EXPECT_FALSE(backend.IsWindowVisible(ConfigSheet()));
    EXPECT_FALSE(backend.IsWindowVisible(InfoSheet()));
    EXPECT_EQ(backend.GetWindowText(ConfigSheet()), "Talvon Utility Ver 3.0.0.4 - Reboot Necessary");
    EXPECT_EQ(backend.GetWindowText(InfoSheet()), "Talvon Utility Ver 3.0.0.4 - Reboot UnNecessary");
    EXPECT_TRUE(backend.FindWindow(Home())->centred);
    EXPECT_NE(backend.FindWindow(Home())->bigIcon, 0u);
    EXPECT_EQ(backend.ResourceOfImage(backend.FindWindow(Home())->smallIcon), 128);
  });
}

TEST_F(HomeScreen, PicturesBlinkEveryHalfSecondSharingTheFrameStoresPictures) {
  Run([&] {
    const WindowHandle home = Home();
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 189);
    EXPECT_EQ(driver.PictureBitmap(home, 1075), 191);
    driver.Wait(499);
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 189);
    driver.Wait(1);  // first tick, 500 ms after initialisation
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 190);
    EXPECT_EQ(driver.PictureBitmap(home, 1075), 192);
    EXPECT_EQ(driver.Control(home, 1076)->image, driver.Control(home, 1078)->image);
    EXPECT_EQ(driver.Control(home, 1075)->image, driver.Control(home, 1080)->image);
    driver.Wait(500);
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 189);
    EXPECT_EQ(driver.PictureBitmap(home, 1075), 191);
    EXPECT_EQ(driver.Control(home, 1076)->image, driver.Control(home, 1077)->image);
    driver.Wait(500);
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 190);
  });
}

TEST_F(HomeScreen, BlinkingGoesOnWhileASheetIsShownAndAfterItIsHidden) {
  Run([&] {
    const WindowHandle home = Home();
    driver.Click(home, 1076);
    driver.Wait(500);
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 190);
    driver.Click(ConfigSheet(), 1087);  // Home
    driver.Wait(500);
    EXPECT_EQ(driver.PictureBitmap(home, 1076), 189);
  });
}

TEST_F(HomeScreen, EachPictureShowsItsSheetAndHidesTheOther) {
  Run([&] {
    driver.Click(Home(), 1076);
    EXPECT_TRUE(backend.IsWindowVisible(ConfigSheet()));
    EXPECT_FALSE(backend.IsWindowVisible(InfoSheet()));
    driver.Click(Home(), 1075);
    EXPECT_TRUE(backend.IsWindowVisible(InfoSheet()));
    EXPECT_FALSE(backend.IsWindowVisible(ConfigSheet()));
    driver.Click(Home(), 1075);  // again: stays shown
    EXPECT_TRUE(backend.IsWindowVisible(InfoSheet()));
  });
}

TEST_F(HomeScreen, ClosingHidesTheShownSheetAndEndsTheRun) {
  bool ranOn = false;
  Run([&] {
    driver.Click(Home(), 1076);
    driver.Close(Home());
    ranOn = true;
  });
  EXPECT_TRUE(ranOn);
  EXPECT_EQ(Session().mainWindow, nullptr);
  EXPECT_FALSE(backend.IsWindowVisible(ConfigSheet()));
  EXPECT_FALSE(backend.IsWindowVisible(InfoSheet()));
  EXPECT_EQ(Session().RebootSheet().Result(), IDOK);
  EXPECT_EQ(Session().NoRebootSheet().Result(), IDOK);
  EXPECT_EQ(driver.WindowOf(102), 0u);  // the home screen's window is gone
}

TEST_F(HomeScreen, CaptionOkEndsTheHomeScreenWithoutEndingTheSheets) {
  Run([&] {
    driver.Click(Home(), 1076);
    driver.PressOk(Home());
  });
  EXPECT_EQ(driver.WindowOf(102), 0u);
  EXPECT_TRUE(backend.IsWindowVisible(ConfigSheet()));
}

TEST_F(HomeScreen, InformationPageHomeControlsHideTheInformationSheet) {
  Run([&] {
    const WindowHandle page = InfoPage();
    driver.Click(Home(), 1075);
    driver.Click(page, 1004);
    EXPECT_FALSE(backend.IsWindowVisible(InfoSheet()));
    driver.Click(Home(), 1075);
    driver.Click(page, 1082);
    EXPECT_FALSE(backend.IsWindowVisible(InfoSheet()));
  });
}

}  // namespace
}  // namespace talvon::test
