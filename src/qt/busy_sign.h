// The busy sign: a small spinner in the panel's bottom right corner while
// the wait cursor is shown, for a touch panel has no mouse pointer to change.
#pragma once
#include <QElapsedTimer>
#include <QWidget>

namespace talvon::qt {

// Lies over the panel's corner but takes no taps: they go to whatever is
// beneath, message boxes included. It adds no events of its own; Advance,
// called as the long work pumps, turns it a step now and then.
class BusySign final : public QWidget {
 public:
  explicit BusySign(QWidget* panel, double panelFactor);

  // Shown in the corner on top of the panel's windows, or hidden.
  void SetShown(bool shown);
  // One step on once enough time has passed since the last; keeps the sign
  // above windows shown since unless `beneathModal` (a question is up).
  void Advance(bool beneathModal);
  int Step() const { return step_; }

  static constexpr int kSpokes = 8;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double factor_;
  int step_ = 0;
  QElapsedTimer sinceStep_;
};

}  // namespace talvon::qt
