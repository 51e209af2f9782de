// Message boxes on the panel: the caption, the text and the buttons and
// icon of the style, exactly as the utility asks for them.
#pragma once
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace talvon::qt {

class FrameWindow;

// The answers of the style's buttons, in the order they are shown:
// MB_OK: IDOK; MB_OKCANCEL: IDOK, IDCANCEL; MB_YESNOCANCEL: IDYES, IDNO,
// IDCANCEL; MB_YESNO: IDYES, IDNO. Any other button set shows OK.
std::vector<int> MessageBoxAnswers(std::uint32_t style);
// The answer that does nothing: what a box closed unanswered gives.
int HarmlessAnswer(std::uint32_t style);
// The answer of the Escape key, if the style has one (MB_YESNO has none).
std::optional<int> EscapeAnswer(std::uint32_t style);
// The object name of an answer's button: "ok", "cancel", "yes", "no".
QString AnswerButtonName(int answer);

// The icon of the style (MB_ICONSTOP, MB_ICONQUESTION, MB_ICONEXCLAMATION,
// MB_ICONINFORMATION), drawn to fill the widget.
class MessageIconWidget final : public QWidget {
 public:
  MessageIconWidget(std::uint32_t iconStyle, int side, QWidget* parent);
  std::uint32_t IconStyle() const { return iconStyle_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::uint32_t iconStyle_;
};

// Builds a message box, hidden and centred on the panel. `answered` is
// called with the answer of the button pressed (or of Escape). The frame's
// object name is "messageBox"; its "caption", "text" and "style" properties
// hold what it was asked with.
FrameWindow* BuildMessageBox(QWidget* panel, double panelFactor, const QString& text, const QString& caption,
                             std::uint32_t style, std::function<void(int answer)> answered);

}  // namespace talvon::qt
