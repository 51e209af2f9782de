// Runs one of the command-line tools as a user would, and keeps what it
// printed (stdout and stderr together) and its exit code.
#pragma once
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace talvon::test {

struct ToolRun {
  int exitCode = -1;
  std::string output;
};

inline std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `workingDirectory` empty: the test's own.
inline ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& workingDirectory = {}) {
  std::string command;
  if (!workingDirectory.empty()) command = "cd " + ShellQuoted(workingDirectory.string()) + " && ";
  command += "env -u TALVON_CONTROLLER " + ShellQuoted(program);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  command += " 2>&1";
  ToolRun run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> chunk;
  std::size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) run.output.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline std::vector<char> FileBytes(const std::filesystem::path& file) {
  std::error_code ec;
  std::vector<char> bytes(static_cast<std::size_t>(std::filesystem::file_size(file, ec)));
  if (ec) return {};
  std::ifstream(file, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace talvon::test
