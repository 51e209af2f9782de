// Runs a fuzz target over files and folders of inputs, one call per file,
// for builds without libFuzzer. Fails when an argument holds no input at all,
// so a corpus that went missing does not pass as empty.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE|DIR...\n", argv[0]);
    return 2;
  }
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg = argv[i];
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(arg, ec)) {
      for (const auto& entry : fs::recursive_directory_iterator(arg, ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(arg);
    }
    if (files.empty()) {
      std::fprintf(stderr, "replay: no inputs in %s\n", arg.c_str());
      return 1;
    }
    for (const fs::path& file : files) {
      if (!RunFile(file)) return 1;
      ++runs;
    }
  }
  std::printf("replay: %d inputs ran\n", runs);
  return 0;
}
