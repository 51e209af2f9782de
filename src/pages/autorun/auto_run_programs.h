#pragma once
// The programs the system starts by itself at every boot: values Launch80
// to Launch89 of "Init", one per field of the Auto-execution page. Their
// companions Depend80 to Depend89 are never read or written here, so
// programs entered on the page get no start-up dependencies.
#include <array>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/registry_setting.h"

namespace talvon {

inline constexpr int AutoRunProgramCount = 10;

// Field n (1 to 10) at [n - 1]. Values are read into 400 bytes, whatever
// their type, and written as REG_SZ: the text and its terminator, so at
// most 199 characters, or the next start could not read the value back.
inline constexpr std::array<RegistrySetting, AutoRunProgramCount> AutoRunPrograms = {{
    {"Init", "Launch80", REG_SZ, 400},
    {"Init", "Launch81", REG_SZ, 400},
    {"Init", "Launch82", REG_SZ, 400},
    {"Init", "Launch83", REG_SZ, 400},
    {"Init", "Launch84", REG_SZ, 400},
    {"Init", "Launch85", REG_SZ, 400},
    {"Init", "Launch86", REG_SZ, 400},
    {"Init", "Launch87", REG_SZ, 400},
    {"Init", "Launch88", REG_SZ, 400},
    {"Init", "Launch89", REG_SZ, 400},
}};

struct AutoRunField {
  // What the value's bytes make as text (of any type); empty when missing.
  std::string text;
  // The value exists but could not be read (larger than 400 bytes).
  bool unreadable = false;
  // Rewriting the field's text as REG_SZ would change what the system
  // starts: the value could not be read, or it is a REG_EXPAND_SZ (whose
  // %...% names the launcher expands) or a REG_MULTI_SZ (whose later
  // strings the field does not show). Kept as stored unless the operator
  // edits the field.
  bool keepUnlessEdited = false;
};

struct AutoRunLoad {
  bool keyOpened = false;  // false: every field empty
  std::array<AutoRunField, AutoRunProgramCount> fields;
};
AutoRunLoad LoadAutoRunPrograms(Registry& registry);

enum class ProgramSave {
  Written,
  Kept,       // the field was to be left alone: the stored value is untouched
  TooLong,    // 200 characters or more: not written
  SetFailed,  // the registry refused the write
};

struct AutoRunSave {
  bool keyOpened = false;  // false: nothing written
  std::array<ProgramSave, AutoRunProgramCount> fields{};
};
// Writes every field in order, an empty text as an empty value (a value is
// never deleted); a field without a text keeps its stored value.
AutoRunSave SaveAutoRunPrograms(Registry& registry,
                                const std::array<std::optional<std::string>, AutoRunProgramCount>& texts);

}  // namespace talvon
