// Tells the backend when the operator moves the focus to a control.
#pragma once
#include <QObject>

#include <functional>

class QWidget;

namespace talvon::qt {

// An event filter on every control widget. Focus that moves because a
// window was shown, hidden or activated is not the operator's doing and is
// not reported.
class FocusWatcher final : public QObject {
 public:
  explicit FocusWatcher(QObject* parent) : QObject(parent) {}
  void SetHandler(std::function<void(QWidget*)> handler) { handler_ = std::move(handler); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(QWidget*)> handler_;
};

}  // namespace talvon::qt
