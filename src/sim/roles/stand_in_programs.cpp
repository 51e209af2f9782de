#include "sim/roles/stand_in_programs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/errors.h"
#include "platform/little_endian.h"
#include "platform/text.h"
#include "sim/roles/controller_path.h"

namespace talvon::sim {
namespace {

struct KnownStandIn {
  const char* path;
  StandInProgram program;
};

constexpr KnownStandIn KnownStandIns[] = {
    {"\\windows\\RegView.exe", StandInProgram::RegistryViewer},
    {"\\windows\\Calibrate_serial.exe", StandInProgram::SerialCalibration},
    {"\\windows\\Calibrate_usb.exe", StandInProgram::UsbCalibration},
    {"\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat", StandInProgram::ActiveXRegistration},
    {"\\Windows\\intll.cpl", StandInProgram::RegionalSettings},
};

constexpr char ActiveXFolder[] = "\\compactflash\\Vantro-I\\Lumex";

bool SameNames(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!EqualsIgnoringCase(a[i], b[i])) return false;
  }
  return true;
}

// The file a controller path names starts with "#!": the factory's stand-in
// scripts do, the controller's real programs do not.
bool IsScript(const std::filesystem::path& fsRoot, const std::vector<std::string>& names) {
  ControllerFileSystem fs(fsRoot);
  UniqueFd folder;
  if (names.empty() || fs.OpenFolder(names, names.size() - 1, &folder) != ERROR_SUCCESS) return false;
  std::optional<HostEntry> entry = FindHostEntry(folder.Get(), names.back());
  if (!entry || entry->isDirectory) return false;
  UniqueFd file(::openat(folder.Get(), entry->name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  char head[2] = {};
  return file.Valid() && ::read(file.Get(), head, sizeof head) == 2 && std::memcmp(head, "#!", 2) == 0;
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view end) {
  return name.size() >= end.size() && EqualsIgnoringCase(name.substr(name.size() - end.size()), end);
}

// The text of REG_SZ-like data: UTF-16LE up to the first zero unit.
std::string TextOf(const std::vector<std::uint8_t>& data, std::size_t from, std::size_t* next) {
  std::u16string units;
  std::size_t i = from;
  for (; i + 1 < data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) {
      i += 2;
      break;
    }
    units.push_back(unit);
  }
  if (next) *next = i;
  return Utf16ToUtf8(units);
}

std::string Quoted(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}

void AddKeyLines(const RegistryKey& key, int depth, std::vector<RegistryViewLine>* lines) {
  lines->push_back(RegistryViewLine{depth, true, key.Name()});
  for (std::size_t i = 0; i < key.ValueCount(); ++i) {
    const RegistryValue& value = key.ValueAt(i);
    const std::string name = value.name.empty() ? "(Default)" : value.name;
    lines->push_back(RegistryViewLine{depth + 1, false, name + " = " + RegistryViewData(value)});
  }
  for (std::size_t i = 0; i < key.SubkeyCount(); ++i) AddKeyLines(key.SubkeyAt(i), depth + 1, lines);
}

}  // namespace

StandInProgram StandInAt(const std::filesystem::path& fsRoot, std::string_view controllerPath) {
  std::vector<std::string> names;
  if (SplitControllerPath(controllerPath, false, &names) != ERROR_SUCCESS) return StandInProgram::None;
  for (const KnownStandIn& known : KnownStandIns) {
    std::vector<std::string> knownNames;
    SplitControllerPath(known.path, false, &knownNames);
    if (SameNames(names, knownNames)) return IsScript(fsRoot, names) ? known.program : StandInProgram::None;
  }
  return StandInProgram::None;
}

std::vector<RegistryViewLine> RegistryViewLines(const RegistryStore& store) {
  std::vector<RegistryViewLine> lines;
  const RegistryKey& root = store.Root();
  for (std::size_t i = 0; i < root.SubkeyCount(); ++i) AddKeyLines(root.SubkeyAt(i), 0, &lines);
  return lines;
}

std::string RegistryViewData(const RegistryValue& value) {
  const std::vector<std::uint8_t>& data = value.data;
  switch (value.type) {
    case REG_DWORD:
      if (data.size() == 4) {
        const std::uint32_t n = LoadLe32(data.data());
        return FormatText("0x%08x", n) + " (" + std::to_string(n) + ")";
      }
      break;
    case REG_SZ:
    case REG_EXPAND_SZ:
      if (data.size() % 2 == 0) return Quoted(TextOf(data, 0, nullptr));
      break;
    case REG_MULTI_SZ:
      if (data.size() % 2 == 0) {
        std::string out;
        for (std::size_t at = 0; at + 1 < data.size();) {
          std::string text = TextOf(data, at, &at);
          if (text.empty()) break;
          if (!out.empty()) out += ' ';
          out += Quoted(text);
        }
        return out.empty() ? "(empty list)" : out;
      }
      break;
    default: break;
  }
  // Bytes: anything else, and data whose size does not suit its type.
  constexpr std::size_t kShown = 32;
  std::string out;
  for (std::size_t i = 0; i < data.size() && i < kShown; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    if (!out.empty()) out += ' ';
    out += byte;
  }
  if (data.size() > kShown) out += " ... (" + std::to_string(data.size()) + " bytes)";
  return data.empty() ? "(no data)" : out;
}

std::vector<PanelPoint> CalibrationTargets() {
  return {{320, 240}, {60, 52}, {60, 428}, {580, 428}, {580, 52}};
}

bool CalibrationTapAccepted(PanelPoint target, PanelPoint tap) {
  const long dx = tap.x - target.x;
  const long dy = tap.y - target.y;
  return dx * dx + dy * dy <= long{kCalibrationTapReach} * kCalibrationTapReach;
}

std::string_view CalibrationKey(StandInProgram program) {
  switch (program) {
    case StandInProgram::SerialCalibration: return "Drivers\\BuiltIn\\Dmc9x00";
    case StandInProgram::UsbCalibration: return "Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0";
    default: return {};
  }
}

PanelPoint TouchReading(PanelPoint tap) {
  const auto clamp = [](int v, int most) { return v < 0 ? 0 : v > most ? most : v; };
  return {clamp(tap.x * 1024 / 640, 1023), clamp(tap.y * 1024 / 480, 1023)};
}

long StoreTouchCalibration(Registry& registry, StandInProgram program, std::span<const PanelPoint> taps) {
  const std::string_view keyPath = CalibrationKey(program);
  if (keyPath.empty()) return ERROR_INVALID_PARAMETER;
  HKEY key = 0;
  long result = registry.CreateKey(HKEY_LOCAL_MACHINE, keyPath, &key, nullptr);
  if (result != ERROR_SUCCESS) return result;
  const auto setDword = [&](const std::string& name, std::uint32_t n) {
    const auto bytes = Le32Bytes(n);
    const long r = registry.SetValue(key, name, REG_DWORD, bytes.data(), 4);
    if (result == ERROR_SUCCESS) result = r;
  };
  setDword("CalibPoints", static_cast<std::uint32_t>(taps.size()));
  for (std::size_t n = 0; n < taps.size(); ++n) {
    const PanelPoint reading = TouchReading(taps[n]);
    setDword("X_" + std::to_string(n), static_cast<std::uint32_t>(reading.x));
    setDword("Y_" + std::to_string(n), static_cast<std::uint32_t>(reading.y));
  }
  registry.CloseKey(key);
  if (result != ERROR_SUCCESS) return result;
  return registry.FlushKey(HKEY_LOCAL_MACHINE);
}

std::vector<std::string> ActiveXRegistrationPlan(const std::filesystem::path& fsRoot) {
  std::vector<std::string> names;
  SplitControllerPath(ActiveXFolder, false, &names);
  ControllerFileSystem fs(fsRoot);
  UniqueFd folder;
  std::vector<std::string> lines;
  if (fs.OpenFolder(names, names.size(), &folder) == ERROR_SUCCESS) {
    for (const HostEntry& entry : ListHostFolder(folder.Get())) {
      if (entry.isDirectory) continue;
      if (EndsWithIgnoringCase(entry.name, ".ocx") || EndsWithIgnoringCase(entry.name, ".dll")) {
        lines.push_back("regsvrce /s " + std::string(ActiveXFolder) + "\\" + entry.name);
      }
    }
  }
  if (lines.empty()) lines.push_back(std::string("No ActiveX controls in ") + ActiveXFolder + ": nothing to register.");
  return lines;
}

std::vector<std::string> RegionalSettingsPlan() {
  return {"Region: the locale of dates, times, numbers and currency",
          "Language: the language of the user interface",
          "Input: the keyboard layout",
          "The simulated controller keeps its settings: nothing is changed."};
}

}  // namespace talvon::sim
