#include "pages/autorun/auto_run_programs.h"

#include <vector>

#include "platform/text.h"

namespace talvon {

AutoRunLoad LoadAutoRunPrograms(Registry& registry) {
  AutoRunLoad load;
  SettingsKey key(registry, AutoRunPrograms[0].key);
  load.keyOpened = key.IsOpen();
  if (!load.keyOpened) return load;
  for (int i = 0; i < AutoRunProgramCount; ++i) {
    std::vector<std::uint8_t> data;
    std::uint32_t type = REG_NONE;
    // A value of another type shows what its bytes make as text.
    const SettingResult result = key.ReadBytes(AutoRunPrograms[i], &data, &type);
    AutoRunField& field = load.fields[i];
    if (result == SettingResult::Done) {
      field.text = FromRegSz(data.data(), data.size());
      field.keepUnlessEdited = type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    } else {
      field.unreadable = result != SettingResult::NoValue;
      field.keepUnlessEdited = field.unreadable;
    }
  }
  return load;
}

AutoRunSave SaveAutoRunPrograms(Registry& registry,
                                const std::array<std::optional<std::string>, AutoRunProgramCount>& texts) {
  AutoRunSave save;
  SettingsKey key(registry, AutoRunPrograms[0].key);
  save.keyOpened = key.IsOpen();
  if (!save.keyOpened) return save;
  for (int i = 0; i < AutoRunProgramCount; ++i) {
    if (!texts[i]) {
      save.fields[i] = ProgramSave::Kept;
      continue;
    }
    switch (key.WriteText(AutoRunPrograms[i], *texts[i])) {
      case SettingResult::Done:
        save.fields[i] = ProgramSave::Written;
        break;
      case SettingResult::TooLong:
        save.fields[i] = ProgramSave::TooLong;
        break;
      default:
        save.fields[i] = ProgramSave::SetFailed;
        break;
    }
  }
  return save;
}

}  // namespace talvon
