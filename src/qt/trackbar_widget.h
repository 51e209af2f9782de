// The trackbar (msctls_trackbar32): a slider that draws its tick marks and,
// with TBS_ENABLESELRANGE, its selection range in the channel.
#pragma once
#include <QSlider>

#include "qt/control_widgets.h"

namespace talvon::qt {

// Reports as the trackbar does: WM_HSCROLL TB_THUMBTRACK with the position
// while the thumb is dragged, TB_THUMBPOSITION and TB_ENDTRACK when it is
// released; a tap on the channel pages (TB_PAGEUP / TB_PAGEDOWN), the arrow
// keys step (TB_LINEUP / TB_LINEDOWN), each followed by TB_ENDTRACK when the
// finger or key is lifted. Every paint first sends NM_CUSTOMDRAW.
class TrackbarWidget final : public QSlider, public ControlBase {
 public:
  TrackbarWidget(const ControlBinding& binding, QWidget* parent);

  void SetTickFrequency(int frequency);
  int TickFrequency() const { return tickFrequency_; }
  void SetSelection(int start, int end);
  int SelectionStart() const { return selectionStart_; }
  int SelectionEnd() const { return selectionEnd_; }
  // The x coordinate of a position's centre line, in widget pixels.
  int PositionX(int position) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void OnAction(int action);
  void DrawTicks(QPainter& painter, const QRect& handle) const;

  int tickFrequency_ = 1;
  int selectionStart_ = 0;
  int selectionEnd_ = 0;
  bool stepped_ = false;  // paged or stepped since the press or key
};

}  // namespace talvon::qt
