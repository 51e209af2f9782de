// The message flow of the headless backend (paints, timers, the modal
// loop's pump) and the operator's answers to message boxes and file dialogs.
#include <algorithm>

#include "platform/headless/headless_backend.h"
#include "platform/message_box.h"

namespace talvon {
namespace {

bool AnswerFits(int answer, std::uint32_t style) {
  switch (style & 0x0F) {
    case MB_OK:
      return answer == IDOK;
    case MB_OKCANCEL:
      return answer == IDOK || answer == IDCANCEL;
    case 0x03:
      return answer == IDYES || answer == IDNO || answer == IDCANCEL;  // MB_YESNOCANCEL
    case MB_YESNO:
      return answer == IDYES || answer == IDNO;
    default:
      return answer == IDOK || answer == IDCANCEL;
  }
}

// The button that does nothing: what an unanswered box is closed with.
int SafeAnswer(std::uint32_t style) {
  switch (style & 0x0F) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    default:
      return IDCANCEL;
  }
}

}  // namespace

// ---- Messages and time ----

std::uintptr_t HeadlessBackend::SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t periodMs) {
  if (FindWindow(window) == nullptr) return 0;
  // As on the controller, no timer runs faster than every 10 ms.
  periodMs = std::max<std::uint32_t>(periodMs, 10);
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; });
  timers_.push_back(Timer{window, timerId, periodMs, clock_.NowMs() + periodMs});
  return timerId;
}

bool HeadlessBackend::KillTimer(WindowHandle window, std::uintptr_t timerId) {
  return std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; }) > 0;
}

std::optional<std::uint64_t> HeadlessBackend::NextTimerDue() const {
  std::optional<std::uint64_t> next;
  for (const Timer& t : timers_) {
    if (!next || t.due < *next) next = t.due;
  }
  return next;
}

bool HeadlessBackend::DeliverDueTimer() {
  const std::uint64_t now = clock_.NowMs();
  auto due = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->due <= now && (due == timers_.end() || it->due < due->due)) due = it;
  }
  if (due == timers_.end()) return false;
  // One message however late: periods that passed unseen are not made up.
  due->due = now + due->period;
  WindowMessage m;
  m.message = WM_TIMER;
  m.timerId = due->id;
  Send(due->window, m);
  return true;
}

bool HeadlessBackend::DeliverPaint() {
  for (auto& [handle, w] : windows_) {
    if (!IsOnScreen(handle)) continue;
    for (HeadlessControl& c : w.controls) {
      if (!c.needsPaint || !c.visible) continue;
      c.needsPaint = false;
      ++c.paints;
      WindowMessage m;
      m.message = WM_NOTIFY;
      m.controlId = c.id;
      m.code = NM_CUSTOMDRAW;
      Send(handle, m);
      return true;
    }
  }
  return false;
}

void HeadlessBackend::PaintNow(WindowHandle window) {
  if (!IsOnScreen(window)) return;
  // Collect first: painting runs handlers that may change the controls.
  std::vector<int> ids;
  if (HeadlessWindow* w = FindWindow(window)) {
    for (HeadlessControl& c : w->controls) {
      if (c.needsPaint && c.visible) {
        c.needsPaint = false;
        ++c.paints;
        ids.push_back(c.id);
      }
    }
  }
  for (int id : ids) {
    WindowMessage m;
    m.message = WM_NOTIFY;
    m.controlId = id;
    m.code = NM_CUSTOMDRAW;
    Send(window, m);
  }
}

bool HeadlessBackend::PumpOneMessage() {
  if (pumpHook_) {
    // Taken out while it runs: what it does may pump again.
    std::function<void()> hook = std::move(pumpHook_);
    hook();
    if (!pumpHook_) pumpHook_ = std::move(hook);
  }
  return DeliverPaint() || DeliverDueTimer();
}

void HeadlessBackend::ShowFlashWork(std::string_view doing) { flashWorkShown_.emplace_back(doing); }

// ---- The operator's answers ----

int HeadlessBackend::MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                                std::uint32_t style) {
  MessageBoxEvent event;
  if (const HeadlessWindow* w = FindWindow(owner)) event.ownerTemplateId = w->dialogTemplate->id;
  event.caption = std::string(caption);
  event.text = std::string(text);
  event.style = style;
  const std::optional<int> queued = answers_->TakeBoxAnswer();
  event.answered = queued.has_value() && AnswerFits(*queued, style);
  event.answer = event.answered ? *queued : SafeAnswer(style);
  transcript_->Add(event);
  return event.answer;
}

int HeadlessBackend::OpenFileDialog(WindowHandle, const FileDialogRequest& request, std::string* path) {
  FileDialogEvent event;
  event.filter = request.filter;
  event.flags = request.flags;
  event.folder = request.initialFolder;
  const auto queued = answers_->TakeFileAnswer();
  event.answered = queued.has_value();
  if (queued && queued->has_value()) {
    event.chosen = true;
    event.path = **queued;
    if (path != nullptr) *path = event.path;
  }
  transcript_->Add(event);
  return event.chosen ? IDOK : IDCANCEL;
}

}  // namespace talvon
