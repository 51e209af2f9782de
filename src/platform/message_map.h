#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/window_messages.h"

namespace talvon {

// A dialog's message map: which handler a message goes to, by message,
// control identifier and notification. Dialogs fill it in their
// constructors; a message with no entry gets default processing.
class MessageMap {
 public:
  using CommandHandler = std::function<void()>;
  using NotifyHandler = std::function<void(const WindowMessage& message, LRESULT* result)>;
  using TimerHandler = std::function<void(std::uintptr_t timerId)>;
  using ScrollHandler = std::function<void(int scrollCode, int position, int controlId)>;
  using ColourHandler = std::function<void(ControlColours& colours, int controlId)>;
  using PlainHandler = std::function<void()>;

  // WM_COMMAND from a control with a notification (BN_CLICKED, STN_CLICKED,
  // EN_SETFOCUS, ...). BN_CLICKED and STN_CLICKED are both 0.
  void OnCommand(int controlId, int code, CommandHandler handler);
  // WM_NOTIFY from a control (TCN_SELCHANGE, NM_CUSTOMDRAW, ...).
  void OnNotify(int controlId, int code, NotifyHandler handler);
  void OnTimer(TimerHandler handler);
  void OnHScroll(ScrollHandler handler);
  // WM_CTLCOLOR: the colours come in holding the defaults.
  void OnCtlColor(ColourHandler handler);
  void OnClose(PlainHandler handler);
  void OnDestroy(PlainHandler handler);

  // Runs the handler of the message; false when the map has none.
  bool Dispatch(const WindowMessage& message, LRESULT* result) const;
  bool Handles(const WindowMessage& message) const;
  void Clear();

 private:
  struct Entry {
    std::uint32_t message = 0;
    int controlId = 0;
    int code = 0;
    CommandHandler command;
    NotifyHandler notify;
    TimerHandler timer;
    ScrollHandler scroll;
    ColourHandler colour;
    PlainHandler plain;
  };
  const Entry* Find(const WindowMessage& message) const;

  std::vector<Entry> entries_;
};

}  // namespace talvon
