#pragma once
// Runs the built command-line tools as a technician would, capturing what
// they print and their exit code.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

namespace talvon::test {

struct ToolRun {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};

inline std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline ToolRun RunTool(const std::string& commandLine) {
  ToolRun run;
  std::FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Runs `program` with `args`, each passed as one word, away from any
// controller the environment names.
inline ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = "env -u TALVON_CONTROLLER " + Quoted(program);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  return RunTool(command);
}

}  // namespace talvon::test
