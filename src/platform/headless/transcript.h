#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace talvon {

// A message box as the operator saw and answered it.
struct MessageBoxEvent {
  int ownerTemplateId = 0;  // template of the owning dialog; 0 for an application-level box
  std::string caption;
  std::string text;
  std::uint32_t style = 0;
  int answer = 0;        // IDOK, IDYES, IDNO or IDCANCEL
  bool answered = true;  // false: no fitting answer was queued; the safe button was taken
};

// A file-open dialog.
struct FileDialogEvent {
  std::string filter;
  std::uint32_t flags = 0;
  std::string folder;    // the folder it was asked to open in
  std::string path;      // the chosen path; empty when cancelled
  bool chosen = false;   // IDOK
  bool answered = true;  // false: nothing was queued; the dialog was cancelled
};

// A program the utility started (directly or through the shell).
struct ProgramStartEvent {
  std::string path;
  bool started = false;
  bool throughShell = false;
};

struct RebootEvent {};

// A new division of RAM the utility asked for, and the controller's answer
// (SYSMEM_CHANGED when it took effect at once).
struct MemoryDivisionEvent {
  std::uint32_t storagePages = 0;
  std::uint32_t answer = 0;
};

using TranscriptEvent =
    std::variant<MessageBoxEvent, FileDialogEvent, ProgramStartEvent, RebootEvent, MemoryDivisionEvent>;

// What happened between the utility and its operator and controller, in
// order: every message box, file dialog, started program, division request
// and reboot.
class Transcript {
 public:
  void Add(TranscriptEvent event);
  const std::vector<TranscriptEvent>& Events() const { return events_; }
  std::vector<MessageBoxEvent> MessageBoxes() const;
  std::vector<FileDialogEvent> FileDialogs() const;
  // Paths of the programs that did start.
  std::vector<std::string> StartedPrograms() const;
  int Reboots() const;
  // Boxes and file dialogs that found no fitting answer queued.
  int Unanswered() const;
  // Called with each event as it is added.
  void SetListener(std::function<void(const TranscriptEvent&)> listener) { listener_ = std::move(listener); }
  void Clear() { events_.clear(); }

 private:
  std::vector<TranscriptEvent> events_;
  std::function<void(const TranscriptEvent&)> listener_;
};

}  // namespace talvon
