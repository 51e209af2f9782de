#include "runner/headless_main.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

#include "runner/script.h"
#include "runner/script_runner.h"
#include "sim/controller/controller_directory.h"

namespace talvon::runner {
namespace {

constexpr char kUsage[] = "usage: talvon-utility --headless --script FILE [--controller DIR]\n";

}  // namespace

bool IsHeadlessInvocation(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--headless") return true;
  }
  return false;
}

std::string DefaultControllerDirectory() {
  return sim::ResolveControllerDirectory("", sim::ProcessEnvironment()).string();
}

int HeadlessMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::string scriptPath;
  std::string controllerDir;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--headless") continue;
    if ((arg == "--script" || arg == "--controller") && i + 1 < argc) {
      (arg == "--script" ? scriptPath : controllerDir) = argv[++i];
      continue;
    }
    err << "talvon-utility: unexpected argument \"" << arg << "\"\n" << kUsage;
    return kExitScriptError;
  }
  if (scriptPath.empty()) {
    err << kUsage;
    return kExitScriptError;
  }
  std::ifstream file(scriptPath, std::ios::binary);
  if (!file) {
    err << "talvon-utility: cannot read the script \"" << scriptPath << "\"\n";
    return kExitScriptError;
  }
  std::ostringstream source;
  source << file.rdbuf();
  Script script;
  std::string error;
  if (!ParseScript(source.str(), &script, &error)) {
    err << "talvon-utility: " << scriptPath << ": " << error << '\n';
    return kExitScriptError;
  }
  if (controllerDir.empty()) controllerDir = DefaultControllerDirectory();
  std::unique_ptr<ControllerProvider> provider = MakeControllerProvider(controllerDir, &error);
  if (!provider) {
    err << "talvon-utility: " << error << '\n';
    return kExitNoBoot;
  }
  ScriptRunner runner(*provider, out, err);
  return runner.Run(script);
}

}  // namespace talvon::runner
