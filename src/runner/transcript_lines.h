#pragma once
#include <string>
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
// "unanswered file FILTER", "start PATH", "reboot"; empty for events that
// print nothing (an answered file dialog, a program that did not start).
std::string EventLine(const TranscriptEvent& event);
// "print ID VALUE".
std::string PrintLine(int controlId, std::string_view value);
// "tree ID DEPTH IMAGE SELECTEDIMAGE TEXT".
std::string TreeLineText(int controlId, const TreeLine& line);

}  // namespace talvon::runner
