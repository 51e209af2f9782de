#include <gtest/gtest.h>

#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_132.h"
#include "support/app_test.h"

namespace talvon::test {
namespace {

using HomeScreen = AppTest;

TEST_F(HomeScreen, EveryPageExistsHiddenBeforeTheHomeScreenIsFirstShown) {
  Run([&] {
    for (int i = 0; i <= 4; ++i) ASSERT_NE(Session().ConfigurationPage(i), nullptr);
    ASSERT_NE(Session().infoPage, nullptr);
    EXPECT_TRUE(Backend().IsWindowVisible(Home()));
    EXPECT_FALSE(Backend().IsWindowVisible(ConfigSheet()));
    EXPECT_FALSE(Backend().IsWindowVisible(InfoSheet()));
    EXPECT_EQ(Backend().GetWindowText(ConfigSheet()), "Talvon Utility Ver 3.0.0.4 - Reboot Necessary");
    EXPECT_EQ(Backend().GetWindowText(InfoSheet()), "Talvon Utility Ver 3.0.0.4 - Reboot UnNecessary");
    EXPECT_TRUE(Backend().FindWindow(Home())->centred);
    EXPECT_NE(Backend().FindWindow(Home())->bigIcon, 0u);
    EXPECT_EQ(Backend().ResourceOfImage(Backend().FindWindow(Home())->smallIcon), 128);
  });
}

TEST_F(HomeScreen, PicturesBlinkEveryHalfSecondSharingTheFrameStoresPictures) {
  Run([&] {
    const WindowHandle home = Home();
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 189);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kUpperPicture), 191);
    Driver().Wait(499);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 189);
    Driver().Wait(1);  // first tick, 500 ms after initialisation
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 190);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kUpperPicture), 192);
    EXPECT_EQ(Driver().Control(home, ids102::kLowerPicture)->image,
              Driver().Control(home, ids102::kFrameStore2)->image);
    EXPECT_EQ(Driver().Control(home, ids102::kUpperPicture)->image,
              Driver().Control(home, ids102::kFrameStore4)->image);
    Driver().Wait(500);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 189);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kUpperPicture), 191);
    EXPECT_EQ(Driver().Control(home, ids102::kLowerPicture)->image,
              Driver().Control(home, ids102::kFrameStore1)->image);
    Driver().Wait(500);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 190);
  });
}

TEST_F(HomeScreen, BlinkingGoesOnWhileASheetIsShownAndAfterItIsHidden) {
  Run([&] {
    const WindowHandle home = Home();
    Driver().Click(home, ids102::kLowerPicture);
    Driver().Wait(500);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 190);
    Driver().Click(ConfigSheet(), ids129::kHomeButton);  // Home
    Driver().Wait(500);
    EXPECT_EQ(Driver().PictureBitmap(home, ids102::kLowerPicture), 189);
  });
}

TEST_F(HomeScreen, EachPictureShowsItsSheetAndHidesTheOther) {
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    EXPECT_TRUE(Backend().IsWindowVisible(ConfigSheet()));
    EXPECT_FALSE(Backend().IsWindowVisible(InfoSheet()));
    Driver().Click(Home(), ids102::kUpperPicture);
    EXPECT_TRUE(Backend().IsWindowVisible(InfoSheet()));
    EXPECT_FALSE(Backend().IsWindowVisible(ConfigSheet()));
    Driver().Click(Home(), ids102::kUpperPicture);  // again: stays shown
    EXPECT_TRUE(Backend().IsWindowVisible(InfoSheet()));
  });
}

TEST_F(HomeScreen, ClosingHidesTheShownSheetAndEndsTheRun) {
  bool ranOn = false;
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().Close(Home());
    ranOn = true;
  });
  EXPECT_TRUE(ranOn);
  EXPECT_EQ(Session().mainWindow, nullptr);
  EXPECT_FALSE(Backend().IsWindowVisible(ConfigSheet()));
  EXPECT_FALSE(Backend().IsWindowVisible(InfoSheet()));
  EXPECT_EQ(Session().RebootSheet().Result(), IDOK);
  EXPECT_EQ(Session().NoRebootSheet().Result(), IDOK);
  EXPECT_EQ(Driver().WindowOf(102), 0u);  // the home screen's window is gone
}

TEST_F(HomeScreen, CaptionOkEndsTheHomeScreenWithoutEndingTheSheets) {
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().PressOk(Home());
  });
  EXPECT_EQ(Driver().WindowOf(102), 0u);
  EXPECT_TRUE(Backend().IsWindowVisible(ConfigSheet()));
}

TEST_F(HomeScreen, InformationPageHomeControlsHideTheInformationSheet) {
  Run([&] {
    const WindowHandle page = InfoPage();
    Driver().Click(Home(), ids102::kUpperPicture);
    Driver().Click(page, ids132::kHomeButton);
    EXPECT_FALSE(Backend().IsWindowVisible(InfoSheet()));
    Driver().Click(Home(), ids102::kUpperPicture);
    Driver().Click(page, ids132::kHomeIcon);
    EXPECT_FALSE(Backend().IsWindowVisible(InfoSheet()));
  });
}

}  // namespace
}  // namespace talvon::test
