#include "runner/script.h"

#include <charconv>
#include <climits>

#include "platform/message_box.h"

namespace talvon::runner {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Splits off the next blank-separated word.
std::string_view NextWord(std::string_view& rest) {
  rest = Trim(rest);
  std::size_t end = 0;
  while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t') ++end;
  std::string_view word = rest.substr(0, end);
  rest = Trim(rest.substr(end));
  return word;
}

bool ParseNumber(std::string_view word, long low, long high, long* value) {
  if (word.empty()) return false;
  long v = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || end != word.data() + word.size() || v < low || v > high) return false;
  *value = v;
  return true;
}

// The text between the first and the last double quote; nothing else may
// stand on that part of the line.
bool ParseQuoted(std::string_view rest, std::string* text) {
  rest = Trim(rest);
  if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') return false;
  *text = std::string(rest.substr(1, rest.size() - 2));
  return true;
}

// Two quoted texts: the first runs to its closing quote, the second from the
// next quote to the last quote of the line.
bool ParseTwoQuoted(std::string_view rest, std::string* first, std::string* second) {
  rest = Trim(rest);
  if (rest.empty() || rest.front() != '"') return false;
  const std::size_t close = rest.find('"', 1);
  if (close == std::string_view::npos) return false;
  *first = std::string(rest.substr(1, close - 1));
  return ParseQuoted(rest.substr(close + 1), second);
}

}  // namespace

const char* CommandName(CommandKind kind) {
  switch (kind) {
    case CommandKind::Click:
      return "click";
    case CommandKind::Text:
      return "text";
    case CommandKind::Select:
      return "select";
    case CommandKind::Slider:
      return "slider";
    case CommandKind::Tab:
      return "tab";
    case CommandKind::Tree:
      return "tree";
    case CommandKind::Answer:
      return "answer";
    case CommandKind::File:
      return "file";
    case CommandKind::FileCancel:
      return "file";
    case CommandKind::Wait:
      return "wait";
    case CommandKind::Print:
      return "print";
    case CommandKind::Home:
      return "home";
    case CommandKind::Info:
      return "info";
    case CommandKind::Config:
      return "config";
    case CommandKind::Reg:
      return "reg";
  }
  return "";
}

bool ParseScript(std::string_view source, Script* script, std::string* error) {
  script->commands.clear();
  int lineNumber = 0;
  while (!source.empty()) {
    const std::size_t newline = source.find('\n');
    std::string_view line = source.substr(0, newline);
    source = newline == std::string_view::npos ? std::string_view() : source.substr(newline + 1);
    ++lineNumber;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;

    auto fail = [&](const std::string& why) {
      *error = "line " + std::to_string(lineNumber) + ": " + why;
      return false;
    };
    ScriptCommand c;
    c.line = lineNumber;
    std::string_view rest = line;
    const std::string word(NextWord(rest));
    long id = 0;

    if (word == "click" || word == "print") {
      c.kind = word == "click" ? CommandKind::Click : CommandKind::Print;
      if (!ParseNumber(NextWord(rest), 0, INT_MAX, &id) || !rest.empty()) return fail(word + " needs a control id");
      c.id = static_cast<int>(id);
    } else if (word == "text") {
      c.kind = CommandKind::Text;
      if (!ParseNumber(NextWord(rest), 0, INT_MAX, &id) || !ParseQuoted(rest, &c.text)) {
        return fail("text needs a control id and a quoted text");
      }
      c.id = static_cast<int>(id);
    } else if (word == "select" || word == "slider") {
      c.kind = word == "select" ? CommandKind::Select : CommandKind::Slider;
      const long low = word == "select" ? 0 : INT_MIN;
      if (!ParseNumber(NextWord(rest), 0, INT_MAX, &id) || !ParseNumber(NextWord(rest), low, INT_MAX, &c.number) ||
          !rest.empty()) {
        return fail(word + " needs a control id and a number");
      }
      c.id = static_cast<int>(id);
    } else if (word == "tab") {
      c.kind = CommandKind::Tab;
      if (!ParseNumber(NextWord(rest), 0, INT_MAX, &c.number) || !rest.empty()) return fail("tab needs an index");
    } else if (word == "tree") {
      c.kind = CommandKind::Tree;
      if (!ParseQuoted(rest, &c.text)) return fail("tree needs a quoted text");
    } else if (word == "answer") {
      c.kind = CommandKind::Answer;
      const std::string_view answer = NextWord(rest);
      if (answer == "yes") {
        c.number = IDYES;
      } else if (answer == "no") {
        c.number = IDNO;
      } else if (answer == "ok") {
        c.number = IDOK;
      } else if (answer == "cancel") {
        c.number = IDCANCEL;
      } else {
        return fail("answer needs yes, no, ok or cancel");
      }
      if (!rest.empty()) return fail("answer needs yes, no, ok or cancel");
    } else if (word == "file") {
      if (Trim(rest) == "cancel") {
        c.kind = CommandKind::FileCancel;
      } else if (ParseQuoted(rest, &c.text) && !c.text.empty()) {
        c.kind = CommandKind::File;
      } else {
        return fail("file needs a quoted path or cancel");
      }
    } else if (word == "wait") {
      c.kind = CommandKind::Wait;
      // At most a day of (virtual) time per command.
      if (!ParseNumber(NextWord(rest), 0, 86'400'000, &c.number) || !rest.empty()) {
        return fail("wait needs milliseconds (0 to 86400000)");
      }
    } else if (word == "home" || word == "info" || word == "config") {
      c.kind = word == "home" ? CommandKind::Home : word == "info" ? CommandKind::Info : CommandKind::Config;
      if (!rest.empty()) return fail(word + " takes nothing after it");
    } else if (word == "reg") {
      c.kind = CommandKind::Reg;
      if (!ParseTwoQuoted(rest, &c.text, &c.name) || c.text.empty()) {
        return fail("reg needs a quoted key and a quoted value name");
      }
    } else {
      return fail("unknown command \"" + word + "\"");
    }
    script->commands.push_back(std::move(c));
  }
  return true;
}

}  // namespace talvon::runner
