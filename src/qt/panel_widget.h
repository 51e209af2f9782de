// The panel: the controller's screen, 640 x 480 times its factor. Every
// window of the utility, message boxes included, lives on it, drawn the
// same way on a desktop, a frame buffer or off screen.
#pragma once
#include <QWidget>

#include <functional>

namespace talvon::qt {

class PanelWidget final : public QWidget {
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  explicit PanelWidget(double factor);
  double Factor() const { return factor_; }
  // Asked when the operator closes the panel's own window (a desktop's
  // close button); the panel stays open unless this answers true.
  void SetCloseRequestHandler(std::function<bool()> handler) { closeRequested_ = std::move(handler); }

  // Shows the panel: as the whole screen (the panels of a frame buffer or
  // KMS), the dialogs' 640 x 480 area centred in it, or as a window of its
  // own size on a desktop.
  void ShowOnScreen(bool fullScreen);

  // The panel factor that fits a screen of this size.
  static double FactorForScreen(const QSize& available, bool fullScreen);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  double factor_;
  std::function<bool()> closeRequested_;
};

// Lies over the whole panel beneath a message box or file dialog and takes
// every tap meant for the windows under it.
class ModalShield final : public QWidget {
 public:
  explicit ModalShield(QWidget* panel);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace talvon::qt
