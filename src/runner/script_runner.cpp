#include "runner/script_runner.h"

#include <ostream>
#include <vector>

#include "app/utility_app.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/recording_roles.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_132.h"
#include "runner/transcript_lines.h"

namespace talvon::runner {
namespace {

constexpr int kHomeTemplate = 102;
constexpr int kConfigurationSheetTemplate = 129;
constexpr int kInformationSheetTemplate = 130;
// A controller that reboots while starting, again and again, is not running a script.
constexpr int kMaxBootsWithoutProgress = 3;

bool IsAnswer(const ScriptCommand& c) {
  return c.kind == CommandKind::Answer || c.kind == CommandKind::File || c.kind == CommandKind::FileCancel;
}

// The first window on screen, front first, whose template has a control of this kind.
std::pair<WindowHandle, int> FrontMostOfKind(HeadlessDriver& driver, ControlKind kind) {
  for (WindowHandle w : driver.WindowsFrontToBack()) {
    for (const DialogItem& item : driver.Backend().FindWindow(w)->dialogTemplate->items) {
      if (item.kind == kind && item.id != IDC_STATIC) return {w, item.id};
    }
  }
  return {0, 0};
}

}  // namespace

void ScriptRunner::Line(const std::string& line) {
  if (!line.empty()) out_ << line << '\n' << std::flush;
}

bool ScriptRunner::Fail(const ScriptCommand& command, const std::string& why) {
  err_ << "talvon-utility: script line " << command.line << ": " << why << '\n';
  return false;
}

void ScriptRunner::PrintRegistryValue(const ScriptCommand& c) {
  Registry& registry = platform_->registry;
  const std::string head = "reg " + Escape(c.text) + " " + Escape(c.name) + " ";
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, c.text, KEY_READ, &key) != ERROR_SUCCESS) {
    Line(head + "absent");
    return;
  }
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::vector<std::uint8_t> data;
  long result = registry.QueryValue(key, c.name, &type, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    data.resize(size);
    result = registry.QueryValue(key, c.name, &type, data.data(), &size);
    data.resize(size);
  }
  registry.CloseKey(key);
  if (result != ERROR_SUCCESS) {
    Line(head + "absent");
    return;
  }
  Line(head + RegistryValueText(type, data));
}

bool ScriptRunner::Tap(const ScriptCommand& command, HeadlessDriver& driver, WindowHandle window, int controlId) {
  const DriverResult result = driver.Click(window, controlId);
  switch (result) {
    case DriverResult::Done:
      return true;
    case DriverResult::Hidden:
    case DriverResult::Disabled:
      // As on the panel: a tap that cannot reach the control does nothing.
      Line(std::string("ignored ") + CommandName(command.kind) + " " + std::to_string(controlId) + ": " +
           (result == DriverResult::Hidden ? "hidden" : "disabled"));
      return true;
    default:
      return Fail(command, std::to_string(controlId) + ": " + DescribeDriverResult(result));
  }
}

bool ScriptRunner::Execute(const ScriptCommand& c, HeadlessDriver& driver) {
  AnswerQueue& answers = driver.Backend().Answers();
  switch (c.kind) {
    case CommandKind::Answer:
      answers.QueueBoxAnswer(static_cast<int>(c.number));
      return true;
    case CommandKind::File:
      answers.QueueFile(c.text);
      return true;
    case CommandKind::FileCancel:
      answers.QueueFileCancel();
      return true;
    case CommandKind::Reg:
      PrintRegistryValue(c);
      return true;
    case CommandKind::Wait:
      driver.Wait(static_cast<std::uint64_t>(c.number));
      return true;
    case CommandKind::Info:
    case CommandKind::Config: {
      const WindowHandle home = driver.WindowOf(kHomeTemplate);
      if (home == 0) return Fail(c, "the home screen is not up");
      return Tap(c, driver, home, c.kind == CommandKind::Info ? ids102::kUpperPicture : ids102::kLowerPicture);
    }
    case CommandKind::Home: {
      // The Home control of the shown sheet: its own button, or its page's.
      for (WindowHandle w : driver.WindowsFrontToBack()) {
        const int id = driver.Backend().FindWindow(w)->dialogTemplate->id;
        if (id == kConfigurationSheetTemplate) return Tap(c, driver, w, ids129::kHomeButton);
        if (id == kInformationSheetTemplate) {
          return Tap(c, driver, driver.FrontMostWith(ids132::kHomeButton), ids132::kHomeButton);
        }
      }
      Line("ignored home: no sheet is shown");
      return true;
    }
    case CommandKind::Tab: {
      const auto [window, id] = FrontMostOfKind(driver, ControlKind::TabControl);
      if (window == 0) return Fail(c, "no sheet is shown");
      const DriverResult r = driver.SelectTab(window, id, static_cast<int>(c.number));
      return r == DriverResult::Done ? true : Fail(c, std::string("tab: ") + DescribeDriverResult(r));
    }
    case CommandKind::Tree: {
      const auto [window, id] = FrontMostOfKind(driver, ControlKind::TreeView);
      if (window == 0) return Fail(c, "no tree is shown");
      const DriverResult r = driver.SelectTreeItem(window, id, c.text);
      return r == DriverResult::Done ? true : Fail(c, "tree \"" + c.text + "\": " + DescribeDriverResult(r));
    }
    default:
      break;
  }

  // Commands on one control, addressed where it is front-most.
  const WindowHandle window = driver.FrontMostWith(c.id);
  if (window == 0) return Fail(c, "no control " + std::to_string(c.id) + " on screen");
  DriverResult r = DriverResult::Done;
  switch (c.kind) {
    case CommandKind::Click:
      return Tap(c, driver, window, c.id);
    case CommandKind::Print: {
      const HeadlessControl* control = driver.Control(window, c.id);
      if (control->item->kind == ControlKind::TreeView) {
        for (const TreeLine& line : driver.TreeLines(window, c.id)) Line(TreeLineText(c.id, line));
      } else {
        Line(PrintLine(c.id, driver.DisplayValue(window, c.id)));
      }
      return true;
    }
    case CommandKind::Text:
      r = driver.TypeText(window, c.id, c.text);
      break;
    case CommandKind::Select:
      r = driver.PickComboItem(window, c.id, static_cast<int>(c.number));
      break;
    case CommandKind::Slider:
      r = driver.MoveTrackbar(window, c.id, static_cast<int>(c.number));
      break;
    default:
      break;
  }
  switch (r) {
    case DriverResult::Done:
      return true;
    case DriverResult::Hidden:
    case DriverResult::Disabled:
    case DriverResult::ReadOnly:
      Line(std::string("ignored ") + CommandName(c.kind) + " " + std::to_string(c.id) + ": " +
           (r == DriverResult::Hidden     ? "hidden"
            : r == DriverResult::Disabled ? "disabled"
                                          : "read-only"));
      return true;
    default:
      return Fail(c, std::to_string(c.id) + ": " + DescribeDriverResult(r));
  }
}

int ScriptRunner::Run(const Script& script) {
  AnswerQueue answers;
  Transcript transcript;
  unanswered_ = false;
  transcript.SetListener([this](const TranscriptEvent& event) {
    if (const auto* box = std::get_if<MessageBoxEvent>(&event); box != nullptr && !box->answered) unanswered_ = true;
    if (const auto* file = std::get_if<FileDialogEvent>(&event); file != nullptr && !file->answered) unanswered_ = true;
    Line(EventLine(event));
  });

  const auto& commands = script.commands;
  std::size_t next = 0;
  int bootsWithoutProgress = 0;
  for (;;) {
    // Answers for questions asked while the utility starts.
    while (next < commands.size() && IsAnswer(commands[next])) {
      const ScriptCommand& c = commands[next++];
      if (c.kind == CommandKind::Answer) answers.QueueBoxAnswer(static_cast<int>(c.number));
      if (c.kind == CommandKind::File) answers.QueueFile(c.text);
      if (c.kind == CommandKind::FileCancel) answers.QueueFileCancel();
    }
    std::string error;
    std::unique_ptr<BootedController> controller = provider_.Boot(&error);
    if (!controller) {
      err_ << "talvon-utility: the controller does not boot: " << error << '\n';
      return kExitNoBoot;
    }
    RecordedPlatform recorded(controller->GetPlatform(), transcript);
    platform_ = &recorded.platform;
    const RecordingSdk& sdk = recorded.sdk;
    HeadlessBackend backend(recorded.platform.clock, answers, transcript);
    HeadlessDriver driver(backend);

    const std::size_t firstOfBoot = next;
    bool scriptError = false;
    bool closing = false;
    backend.SetOperator([&]() -> bool {
      if (unanswered_ || scriptError || sdk.RebootRequested()) return false;
      if (next < commands.size()) {
        if (!Execute(commands[next++], driver)) scriptError = true;
        return !scriptError;
      }
      if (closing) return false;
      closing = true;  // the script is done: close the home screen
      driver.Close(driver.WindowOf(kHomeTemplate));
      return true;
    });
    {
      CUtilityApp app(recorded.platform, backend);
      app.InitInstance();
    }
    platform_ = nullptr;
    if (scriptError) return kExitScriptError;
    if (unanswered_) {
      err_ << "talvon-utility: a question found no answer queued; the run ends\n";
      return kExitUnanswered;
    }
    if (!sdk.RebootRequested()) break;
    bootsWithoutProgress = next == firstOfBoot ? bootsWithoutProgress + 1 : 0;
    if (bootsWithoutProgress >= kMaxBootsWithoutProgress) {
      err_ << "talvon-utility: the controller keeps rebooting while the utility starts\n";
      return kExitNoBoot;
    }
  }
  if (answers.PendingBoxAnswers() + answers.PendingFileAnswers() > 0) {
    err_ << "talvon-utility: note: " << answers.PendingBoxAnswers() + answers.PendingFileAnswers()
         << " queued answer(s) were not used\n";
  }
  return kExitOk;
}

}  // namespace talvon::runner
