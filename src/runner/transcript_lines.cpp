#include "runner/transcript_lines.h"

#include <cstdio>

#include "platform/little_endian.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"

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
  if (const auto* division = std::get_if<MemoryDivisionEvent>(&event)) {
    const std::string request = "division " + std::to_string(division->storagePages) + " -> ";
    return division->answer == 0 ? request + "changed" : request + "refused " + std::to_string(division->answer);
  }
  return "reboot";
}

std::string RegistryValueText(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  std::string typeName;
  switch (type) {
    case REG_NONE:
      typeName = "REG_NONE";
      break;
    case REG_SZ:
      typeName = "REG_SZ";
      break;
    case REG_EXPAND_SZ:
      typeName = "REG_EXPAND_SZ";
      break;
    case REG_BINARY:
      typeName = "REG_BINARY";
      break;
    case REG_DWORD:
      typeName = "REG_DWORD";
      break;
    case REG_MULTI_SZ:
      typeName = "REG_MULTI_SZ";
      break;
    default:
      typeName = std::to_string(type);
      break;
  }
  const std::string head = typeName + " " + std::to_string(data.size());
  std::string shown;
  if (type == REG_DWORD && data.size() == 4) {
    shown = std::to_string(LoadLe32(data.data()));
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    shown = Escape(FromRegSz(data.data(), data.size()));
  } else {
    for (std::uint8_t byte : data) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", byte);
      shown += hex;
    }
  }
  return shown.empty() ? head : head + " " + shown;
}

std::string PrintLine(int controlId, std::string_view value) {
  return "print " + std::to_string(controlId) + " " + Escape(value);
}

std::string TreeLineText(int controlId, const TreeLine& line) {
  return "tree " + std::to_string(controlId) + " " + std::to_string(line.depth) + " " + std::to_string(line.image) +
         " " + std::to_string(line.selectedImage) + " " + Escape(line.text);
}

}  // namespace talvon::runner
