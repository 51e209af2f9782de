// The frame of a top-level window on the panel: a border and a caption bar
// with the window's icon and title, and the caption's OK button and close
// box when the window's styles ask for them. The client area is a child.
#pragma once
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

namespace talvon::qt {

class FrameWindow final : public QWidget {
 public:
  struct Buttons {
    bool ok = false;     // WS_EX_CAPTIONOKBTN
    bool close = false;  // WS_SYSMENU
  };

  FrameWindow(QWidget* panel, double panelFactor, Buttons buttons);

  QWidget* Client() const { return client_; }
  // Sizes the frame and its client area together (a hidden frame gets no
  // resize event to do it).
  void ResizeFrame(const QSize& frameSize);
  void SetCaption(const QString& caption);
  QString Caption() const { return caption_; }
  void SetIcon(const QPixmap& icon);
  // The frame's size for a client area of this size, and back.
  QSize FrameSize(const QSize& clientSize) const;
  QSize ClientSizeFor(const QSize& frameSize) const;
  int CaptionHeight() const { return captionHeight_; }
  // The caption buttons' rectangles; empty when the frame has none.
  QRect OkButtonRect() const;
  QRect CloseButtonRect() const;

  void SetOkHandler(std::function<void()> handler) { onOk_ = std::move(handler); }
  void SetCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  enum class Pressed { None, Ok, Close };

  double factor_;
  Buttons buttons_;
  int border_;
  int captionHeight_;
  QWidget* client_;
  QString caption_;
  QPixmap icon_;
  Pressed pressed_ = Pressed::None;
  std::function<void()> onOk_;
  std::function<void()> onClose_;
};

}  // namespace talvon::qt
