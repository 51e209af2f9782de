#include "platform/headless/transcript.h"

#include <utility>

namespace talvon {

void Transcript::Add(TranscriptEvent event) {
  events_.push_back(std::move(event));
  if (listener_) listener_(events_.back());
}

std::vector<MessageBoxEvent> Transcript::MessageBoxes() const {
  std::vector<MessageBoxEvent> out;
  for (const auto& e : events_) {
    if (const auto* box = std::get_if<MessageBoxEvent>(&e)) out.push_back(*box);
  }
  return out;
}

std::vector<FileDialogEvent> Transcript::FileDialogs() const {
  std::vector<FileDialogEvent> out;
  for (const auto& e : events_) {
    if (const auto* file = std::get_if<FileDialogEvent>(&e)) out.push_back(*file);
  }
  return out;
}

std::vector<std::string> Transcript::StartedPrograms() const {
  std::vector<std::string> out;
  for (const auto& e : events_) {
    if (const auto* start = std::get_if<ProgramStartEvent>(&e); start != nullptr && start->started) {
      out.push_back(start->path);
    }
  }
  return out;
}

int Transcript::Reboots() const {
  int n = 0;
  for (const auto& e : events_) n += std::holds_alternative<RebootEvent>(e) ? 1 : 0;
  return n;
}

int Transcript::Unanswered() const {
  int n = 0;
  for (const auto& e : events_) {
    if (const auto* box = std::get_if<MessageBoxEvent>(&e); box != nullptr && !box->answered) ++n;
    if (const auto* file = std::get_if<FileDialogEvent>(&e); file != nullptr && !file->answered) ++n;
  }
  return n;
}

}  // namespace talvon
