#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace talvon::runner {

// The commands of a headless script, one per line.
enum class CommandKind {
  Click,       // click ID
  Text,        // text ID "TEXT"
  Select,      // select ID INDEX
  Slider,      // slider ID POS
  Tab,         // tab INDEX
  Tree,        // tree "TEXT"
  Answer,      // answer yes|no|ok|cancel
  File,        // file "PATH"
  FileCancel,  // file cancel
  Wait,        // wait MS
  Print,       // print ID
  Home,        // home
  Info,        // info
  Config,      // config
  Reg,         // reg "KEY" "VALUE"
};

struct ScriptCommand {
  CommandKind kind = CommandKind::Click;
  int line = 0;      // 1-based line in the script
  int id = 0;        // control identifier
  long number = 0;   // index, position, milliseconds, or the answer (IDOK ...)
  std::string text;  // quoted text, taken literally (reg: the key)
  std::string name;  // reg: the value's name
};

struct Script {
  std::vector<ScriptCommand> commands;
};

// Parses a whole script. Blank lines and lines starting with '#' are skipped.
// A quoted text runs from the first to the last double quote of its line and
// is taken literally: a backslash is a backslash. false, with "line N: ..."
// in *error, at the first line that is not a command.
bool ParseScript(std::string_view source, Script* script, std::string* error);

// The command's name as written in scripts ("click", "file", ...).
const char* CommandName(CommandKind kind);

}  // namespace talvon::runner
