#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

#include "platform/headless/headless_driver.h"
#include "platform/headless/transcript.h"

namespace talvon::runner {

// The lines a scripted run prints, one event per line. Line feeds (and
// carriage returns) inside a text are written as \n (and \r).
std::string Escape(std::string_view text);
// "ok", "yes", "no" or "cancel".
const char* AnswerName(int answer);
// "box CAPTION | TEXT | STYLE -> ANSWER", "unanswered box CAPTION | TEXT | STYLE",
// "unanswered file FILTER", "start PATH", "division PAGES -> changed" or
// "division PAGES -> refused ANSWER", "reboot"; empty for events that
// print nothing (an answered file dialog, a program that did not start).
std::string EventLine(const TranscriptEvent& event);
// "TYPE BYTES DATA" of a registry value: REG_DWORD of 4 bytes in decimal,
// REG_SZ and REG_EXPAND_SZ as their text, anything else as hex bytes; no
// DATA when there is nothing to show.
std::string RegistryValueText(std::uint32_t type, const std::vector<std::uint8_t>& data);
// "print ID VALUE".
std::string PrintLine(int controlId, std::string_view value);
// "tree ID DEPTH IMAGE SELECTEDIMAGE TEXT".
std::string TreeLineText(int controlId, const TreeLine& line);

}  // namespace talvon::runner
