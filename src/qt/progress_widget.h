// The progress bar (msctls_progress32).
#pragma once
#include <QWidget>

#include "qt/control_widgets.h"

namespace talvon::qt {

class ProgressWidget final : public QWidget, public ControlBase {
 public:
  ProgressWidget(const ControlBinding& binding, QWidget* parent);
  const ProgressState& State() const { return state_; }
  int SetStep(int step);
  void SetRange(int minimum, int maximum);
  int SetPosition(int position);  // answers the previous one
  int StepIt();                   // answers the previous position

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ProgressState state_;
};

}  // namespace talvon::qt
