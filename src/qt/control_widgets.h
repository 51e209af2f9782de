// The widgets that stand for the controls of a dialog template. Each carries
// a ControlBase: which window and template item it belongs to, and the way
// back to the backend for what the operator does to it and for the colours
// it is drawn with.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "platform/dialog_backend.h"

namespace talvon::qt {

// What a control reports to the backend, which turns it into window messages.
class ControlEvents {
 public:
  virtual ~ControlEvents() = default;
  // WM_COMMAND from the control with a notification code.
  virtual void ControlCommand(WindowHandle window, int controlId, int code) = 0;
  // WM_NOTIFY from the control; answers the handler's result.
  virtual LRESULT ControlNotify(WindowHandle window, int controlId, int code) = 0;
  // WM_HSCROLL from a trackbar.
  virtual void ControlScroll(WindowHandle window, int controlId, int code, int position) = 0;
  // The operator moved the focus to the control (a tap or the Tab key).
  virtual void ControlFocused(WindowHandle window, int controlId) = 0;
  // WM_CTLCOLOR: the colours the dialog wants the control drawn with.
  virtual ControlColours ControlColoursFor(WindowHandle window, int controlId, int controlType) = 0;
};

struct ControlBinding {
  ControlEvents* events = nullptr;
  WindowHandle window = 0;
  const DialogItem* item = nullptr;
  int fontPixels = 10;
};

// What every control widget has besides being a QWidget.
class ControlBase {
 public:
  explicit ControlBase(const ControlBinding& binding) : binding_(binding) {}
  virtual ~ControlBase() = default;

  const DialogItem& Item() const { return *binding_.item; }
  int Id() const { return binding_.item->id; }
  WindowHandle Window() const { return binding_.window; }
  // The control's window text, as WM_SETTEXT / WM_GETTEXT see it.
  virtual void SetText(const QString& text) { text_ = text; }
  virtual QString Text() const { return text_; }
  // The kind of WM_CTLCOLOR the control sends.
  int ColourType() const;

 protected:
  void Command(int code) const;
  LRESULT Notify(int code) const;
  void Scroll(int code, int position) const;
  ControlColours AskColours() const;
  int FontPixels() const { return binding_.fontPixels; }

  ControlBinding binding_;
  QString text_;
};

// The ControlBase of a widget built by the backend, or nullptr.
ControlBase* ControlOf(QWidget* widget);
// The widget's control identifier property, set on every control widget
// (also readable by tests as the "controlId" property).
inline constexpr char kControlIdProperty[] = "controlId";

// ---- Buttons ----

// A push button, drawn here so that WM_CTLCOLOR can colour its face and
// its text always fits: multi-line buttons wrap, and a text too wide for
// the button is set in a smaller size.
class PushButtonWidget final : public QPushButton, public ControlBase {
 public:
  PushButtonWidget(const ControlBinding& binding, QWidget* parent);
  void SetText(const QString& text) override;
  // The font the text is drawn with (smaller than the dialog's when needed).
  QFont TextFont() const { return textFont_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int TextFlags() const;
  void FitText();
  QFont textFont_;
};

// An auto check box: a tap toggles it, then BN_CLICKED.
class CheckBoxWidget final : public QCheckBox, public ControlBase {
 public:
  CheckBoxWidget(const ControlBinding& binding, QWidget* parent);
  void SetText(const QString& text) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A group box: a frame with a title that takes no taps.
class GroupBoxWidget final : public QWidget, public ControlBase {
 public:
  GroupBoxWidget(const ControlBinding& binding, QWidget* parent);
  void SetText(const QString& text) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// ---- Statics ----

// Static text, left-aligned or centred, wrapped at word breaks. A text that
// does not fit its rectangle is set in a smaller size.
class TextWidget final : public QWidget, public ControlBase {
 public:
  TextWidget(const ControlBinding& binding, QWidget* parent);
  void SetText(const QString& text) override;
  int TextFlags() const;
  QFont TextFont() const { return textFont_; }
  // A one-line text longer than its box runs on to the right, up to this
  // width in pixels, before it is drawn smaller (0: it stays in its box).
  // Takes the widget's present width as the box's.
  void SetRoomRight(int widest);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitText();
  QFont textFont_;
  int boxWidth_ = 0;
  int widest_ = 0;
};

// A static picture: draws its artwork at the template's scale from its top
// left corner (the control takes the picture's size, as SS_BITMAP does).
// With SS_NOTIFY a tap sends STN_CLICKED; otherwise taps pass through.
class PictureWidget final : public QWidget, public ControlBase {
 public:
  // pictureFactor scales the artwork; a band (much wider than high) is
  // stretched across by factorAcross instead, as wide as it was drawn for.
  PictureWidget(const ControlBinding& binding, double pictureFactor, double factorAcross, QWidget* parent);
  // The bitmap resource shown; 0 shows nothing.
  void SetArtwork(int resourceId);
  int Artwork() const { return artwork_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  double pictureFactor_;
  double factorAcross_;
  int artwork_ = 0;
  bool pressed_ = false;
};

// ---- Edits and combo boxes ----

class EditWidget final : public QLineEdit, public ControlBase {
 public:
  EditWidget(const ControlBinding& binding, QWidget* parent);
  void SetText(const QString& text) override;
  QString Text() const override { return text(); }
  void SetPasswordChar(char16_t passwordChar);
  char16_t PasswordChar() const { return passwordChar_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  char16_t passwordChar_ = 0;
};

// A drop-down list. The operator picks an item: CBN_SELCHANGE.
class ComboWidget final : public QComboBox, public ControlBase {
 public:
  ComboWidget(const ControlBinding& binding, QWidget* parent);
  void SetText(const QString& text) override;
  QString Text() const override { return currentIndex() >= 0 ? currentText() : QString(); }
};

}  // namespace talvon::qt
