// The tools run with a list of arguments, and the files they work on.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_tool.h"

namespace talvon::test {

// Runs `program` with `args`, each passed as one word, away from any
// controller the environment names.
inline ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = "env -u TALVON_CONTROLLER " + Quoted(program);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  return RunTool(command);
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
