// Message boxes on the panel show the caption, text, buttons and icon of
// their style and answer with the button pressed.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "platform/message_box.h"
#include "platform/templates/ids_102.h"
#include "qt/message_box_widget.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

struct Shown {
  QString caption;
  QString text;
  QStringList buttons;  // object names, in order
  std::uint32_t icon = 0xFFFF;  // no icon widget
};

Shown Read(QWidget* box) {
  Shown shown;
  shown.caption = box->property("caption").toString();
  if (auto* label = box->findChild<QLabel*>(QStringLiteral("text"))) shown.text = label->text();
  for (QPushButton* button : box->findChildren<QPushButton*>()) shown.buttons << button->objectName();
  // (findChild cannot tell classes without their own meta-object apart.)
  if (auto* icon = dynamic_cast<MessageIconWidget*>(box->findChild<QWidget*>(QStringLiteral("icon")))) {
    shown.icon = icon->IconStyle();
  }
  return shown;
}

struct Case {
  std::uint32_t style;
  QStringList buttons;
  std::uint32_t icon;
  const char* press;
  int answer;
};

TEST(QtMessageBox, EveryStyleShowsItsButtonsAndIconAndAnswersThePressedOne) {
  const Case cases[] = {
      {0x00, {"ok"}, 0xFFFF, "ok", IDOK},
      {0x10, {"ok"}, MB_ICONSTOP, "ok", IDOK},
      {0x24, {"yes", "no"}, MB_ICONQUESTION, "yes", IDYES},
      {0x24, {"yes", "no"}, MB_ICONQUESTION, "no", IDNO},
      {0x30, {"ok"}, MB_ICONEXCLAMATION, "ok", IDOK},
      {0x34, {"yes", "no"}, MB_ICONEXCLAMATION, "yes", IDYES},
      {0x40, {"ok"}, MB_ICONINFORMATION, "ok", IDOK},
      {MB_OKCANCEL, {"ok", "cancel"}, 0xFFFF, "cancel", IDCANCEL},
  };
  QtDialogBackend backend;
  ShowPanel(backend);
  const std::string text = "All settings you changed will take effect\n after system reboot, reboot now ?";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    Shown shown;
    backend.SetModalHook([&](QWidget* box) {
      shown = Read(box);
      EXPECT_EQ(box->objectName(), "messageBox");
      EXPECT_TRUE(box->isVisible());
      auto* button = box->findChild<QPushButton*>(QString::fromLatin1(c.press));
      ASSERT_NE(button, nullptr);
      // Pressed by a finger, through the panel.
      TouchTap(backend.Panel(), button->mapTo(backend.Panel(), button->rect().center()));
    });
    EXPECT_EQ(backend.MessageBox(0, text, "System Reboot", c.style), c.answer);
    EXPECT_EQ(shown.caption, "System Reboot");
    EXPECT_EQ(shown.text.toStdString(), text);  // the line break and the blank after it kept
    EXPECT_EQ(shown.buttons, c.buttons);
    EXPECT_EQ(shown.icon, c.icon);
  }
}

TEST(QtMessageBox, TheBoxKeepsTapsFromTheWindowsBeneath) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  backend.ShowWindow(home, SW_SHOW);
  QWidget* ball = backend.ControlWidget(home, ids102::kLowerPicture);
  const QPoint onBall = ball->mapTo(backend.Panel(), ball->rect().center());
  backend.SetModalHook([&](QWidget* box) {
    MouseTap(backend.Panel(), onBall);
    if (box->geometry().contains(onBall)) ADD_FAILURE() << "the box covers the ball; move the point";
    box->findChild<QPushButton*>(QStringLiteral("ok"))->click();
  });
  EXPECT_EQ(backend.MessageBox(home, "RegFlushKey failed", "Save Registry", 0x30), IDOK);
  EXPECT_TRUE(sink.Input().empty());
  // Afterwards the ball takes taps again.
  MouseTap(backend.Panel(), onBall);
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids102::kLowerPicture, STN_CLICKED}}));
}

TEST(QtMessageBox, EscapeAnswersWhereTheStyleHasACancelAndNotOnYesNo) {
  QtDialogBackend backend;
  ShowPanel(backend);
  backend.SetModalHook([&](QWidget* box) {
    QTest::keyClick(box->findChild<QPushButton*>(), Qt::Key_Escape);
    // Still waiting on Yes/No: answer Yes. (An OK/Cancel box has answered.)
    if (auto* yes = box->findChild<QPushButton*>(QStringLiteral("yes"))) yes->click();
  });
  EXPECT_EQ(backend.MessageBox(0, "Proceed ?", "Save Registry", 0x24), IDYES);
  EXPECT_EQ(backend.MessageBox(0, "Proceed ?", "x", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(HarmlessAnswer(0x34), IDNO);
  EXPECT_EQ(HarmlessAnswer(0x30), IDOK);
}

TEST(QtMessageBox, TimersGoOnWhileABoxWaits) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  backend.SetTimer(home, 1, 10);
  backend.SetModalHook([&](QWidget* box) {
    QPushButton* ok = box->findChild<QPushButton*>(QStringLiteral("ok"));
    // The blink goes on behind the box; answer once it has ticked.
    QObject::connect(backend.Panel(), &QObject::objectNameChanged, ok, &QPushButton::click);
    sink.onMessage = [&](const WindowMessage& m) {
      if (m.message == WM_TIMER) backend.Panel()->setObjectName(QStringLiteral("ticked"));
    };
  });
  EXPECT_EQ(backend.MessageBox(home, "text", "caption", MB_OK), IDOK);
  EXPECT_GE(std::count(sink.received.begin(), sink.received.end(), Received{WM_TIMER, 0, 0, 0, 1}), 1);
}

}  // namespace
}  // namespace talvon::qt
