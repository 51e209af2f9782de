#include "runner/transcript_lines.h"

#include "platform/message_box.h"

namespace talvon::runner {

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDOK:
      return "ok";
    case IDYES:
      return "yes";
    case IDNO:
      return "no";
    default:
      return "cancel";
  }
}

std::string EventLine(const TranscriptEvent& event) {
  if (const auto* box = std::get_if<MessageBoxEvent>(&event)) {
    const std::string body = Escape(box->caption) + " | " + Escape(box->text) + " | " + std::to_string(box->style);
    if (!box->answered) return "unanswered box " + body;
    return "box " + body + " -> " + AnswerName(box->answer);
  }
  if (const auto* file = std::get_if<FileDialogEvent>(&event)) {
    return file->answered ? std::string() : "unanswered file " + Escape(file->filter);
  }
  if (const auto* start = std::get_if<ProgramStartEvent>(&event)) {
    return start->started ? "start " + Escape(start->path) : std::string();
  }
  return "reboot";
}

std::string PrintLine(int controlId, std::string_view value) {
  return "print " + std::to_string(controlId) + " " + Escape(value);
}

std::string TreeLineText(int controlId, const TreeLine& line) {
  return "tree " + std::to_string(controlId) + " " + std::to_string(line.depth) + " " + std::to_string(line.image) +
         " " + std::to_string(line.selectedImage) + " " + Escape(line.text);
}

}  // namespace talvon::runner
