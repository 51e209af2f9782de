#include "platform/message_map.h"

#include <utility>

namespace talvon {

void MessageMap::OnCommand(int controlId, int code, CommandHandler handler) {
  Entry e;
  e.message = WM_COMMAND;
  e.controlId = controlId;
  e.code = code;
  e.command = std::move(handler);
  entries_.push_back(std::move(e));
}

void MessageMap::OnNotify(int controlId, int code, NotifyHandler handler) {
  Entry e;
  e.message = WM_NOTIFY;
  e.controlId = controlId;
  e.code = code;
  e.notify = std::move(handler);
  entries_.push_back(std::move(e));
}

void MessageMap::OnTimer(TimerHandler handler) {
  Entry e;
  e.message = WM_TIMER;
  e.timer = std::move(handler);
  entries_.push_back(std::move(e));
}

void MessageMap::OnHScroll(ScrollHandler handler) {
  Entry e;
  e.message = WM_HSCROLL;
  e.scroll = std::move(handler);
  entries_.push_back(std::move(e));
}

void MessageMap::OnCtlColor(ColourHandler handler) {
  Entry e;
  e.message = WM_CTLCOLOR;
  e.colour = std::move(handler);
  entries_.push_back(std::move(e));
}

void MessageMap::OnClose(PlainHandler handler) {
  Entry e;
  e.message = WM_CLOSE;
  e.plain = std::move(handler);
  entries_.push_back(std::move(e));
}

void MessageMap::OnDestroy(PlainHandler handler) {
  Entry e;
  e.message = WM_DESTROY;
  e.plain = std::move(handler);
  entries_.push_back(std::move(e));
}

const MessageMap::Entry* MessageMap::Find(const WindowMessage& m) const {
  for (const Entry& e : entries_) {
    if (e.message != m.message) continue;
    if (m.message == WM_COMMAND || m.message == WM_NOTIFY) {
      if (e.controlId == m.controlId && e.code == m.code) return &e;
    } else {
      return &e;
    }
  }
  return nullptr;
}

bool MessageMap::Handles(const WindowMessage& message) const { return Find(message) != nullptr; }

bool MessageMap::Dispatch(const WindowMessage& m, LRESULT* result) const {
  const Entry* e = Find(m);
  if (e == nullptr) return false;
  // Copy the handler: it may change the map it came from.
  switch (m.message) {
    case WM_COMMAND: {
      auto h = e->command;
      h();
      break;
    }
    case WM_NOTIFY: {
      auto h = e->notify;
      h(m, result);
      break;
    }
    case WM_TIMER: {
      auto h = e->timer;
      h(m.timerId);
      break;
    }
    case WM_HSCROLL: {
      auto h = e->scroll;
      h(m.code, m.position, m.controlId);
      break;
    }
    case WM_CTLCOLOR: {
      auto h = e->colour;
      if (m.colours != nullptr) h(*m.colours, m.controlId);
      break;
    }
    default: {
      auto h = e->plain;
      h();
      break;
    }
  }
  return true;
}

void MessageMap::Clear() { entries_.clear(); }

}  // namespace talvon
