// The tab control (SysTabControl32): a row of text items over a framed pane.
// The pages are not its children: the dialog places them over the pane.
#pragma once
#include <QStringList>
#include <QWidget>

#include "qt/control_widgets.h"

namespace talvon::qt {

class TabControlWidget final : public QWidget, public ControlBase {
 public:
  TabControlWidget(const ControlBinding& binding, double panelFactor, QWidget* parent);

  int InsertItem(int index, const QString& text);  // answers the index, or -1
  int Count() const { return static_cast<int>(items_.size()); }
  QString ItemText(int index) const;
  int Selection() const { return selection_; }
  int SetSelection(int index);  // -1: none; answers the previous one, -1 for a bad index
  // An item's rectangle in the control's client coordinates, as the
  // dialog layer counts them (right and bottom exclusive).
  QRect ItemRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int ItemHeight() const;
  QStringList items_;
  int selection_ = -1;
  double panelFactor_;
};

}  // namespace talvon::qt
