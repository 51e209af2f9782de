// talvon_performance_table: runs each operation of the table and its floor
// in a process of its own (set-up, then the timed runs), and prints the
// table of docs/performance.md as Markdown on stdout.
//
//   talvon_performance_table [--quick]   (--quick: one timed run each)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "performance_table/measurements.h"

namespace {

using namespace talvon::perf;
namespace fs = std::filesystem;

struct Timing {
  bool good = false;
  double wallSeconds = 0;  // median of the timed runs
  double cpuSeconds = 0;   // median CPU time (user + system) of the timed runs
  double peakMiB = 0;      // the process's peak resident memory, set-up included
  std::string note;
};

double CpuSecondsNow() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// In the child: set up, run, and write "good wall cpu note" to `out`.
[[noreturn]] void RunChild(const Measurement& m, bool floor, int repetitions, int out) {
  const fs::path folder = fs::temp_directory_path() / ("talvon-perf-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  Prepared prepared = floor ? m.prepareFloor(folder) : m.prepare(folder);
  std::vector<double> wall, cpu;
  RunNote note;
  for (int i = 0; i < repetitions && note.good; ++i) {
    const double cpuStart = CpuSecondsNow();
    const auto start = std::chrono::steady_clock::now();
    note = prepared.timed();
    wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(CpuSecondsNow() - cpuStart);
  }
  prepared = {};
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  std::string line = std::string(note.good ? "1 " : "0 ") + std::to_string(Median(wall)) + " " +
                     std::to_string(Median(cpu)) + " " + note.text + "\n";
  [[maybe_unused]] ssize_t written = ::write(out, line.data(), line.size());
  ::_exit(0);
}

Timing Measure(const Measurement& m, bool floor, int repetitions) {
  int fds[2];
  Timing timing;
  if (::pipe(fds) != 0) return timing;
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    RunChild(m, floor, repetitions, fds[1]);
  }
  ::close(fds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) < 0) return timing;
  timing.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
  int good = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%d %lf %lf %n", &good, &timing.wallSeconds, &timing.cpuSeconds, &consumed) >= 3) {
    timing.good = good == 1 && WIFEXITED(status);
    timing.note = text.substr(static_cast<std::size_t>(consumed));
    while (!timing.note.empty() && timing.note.back() == '\n') timing.note.pop_back();
  }
  return timing;
}

std::string Time(double seconds) {
  char text[32];
  if (seconds >= 1) {
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  } else if (seconds < 1e-3) {
    std::snprintf(text, sizeof text, "%.0f us", seconds * 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000);
  }
  return text;
}

std::string Ratio(double value, double floor) {
  if (floor <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value / floor);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  std::printf("| Operation | Time | Floor | Ratio | CPU time | Floor's CPU time | CPU ratio | Peak memory | Notes |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---|\n");
  bool allGood = true;
  std::vector<std::string> floors;
  for (const Measurement& m : AllMeasurements()) {
    const int repetitions = quick ? 1 : m.repetitions;
    const Timing op = Measure(m, false, repetitions);
    const Timing floor = Measure(m, true, repetitions);
    allGood = allGood && op.good && floor.good;
    std::string note = op.note.empty() ? floor.note : op.note;
    if (!op.good) note = "FAILED " + note;
    if (!floor.good) note += " (the floor failed)";
    char peak[32];
    std::snprintf(peak, sizeof peak, "%.0f MiB", op.peakMiB);
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", m.operation.c_str(), Time(op.wallSeconds).c_str(),
                Time(floor.wallSeconds).c_str(), Ratio(op.wallSeconds, floor.wallSeconds).c_str(),
                Time(op.cpuSeconds).c_str(), Time(floor.cpuSeconds).c_str(),
                Ratio(op.cpuSeconds, floor.cpuSeconds).c_str(), peak, note.c_str());
    std::fflush(stdout);
    floors.push_back(m.operation + ": " + m.floorIs);
  }
  std::printf("\nFloors, measured in the same run:\n\n");
  for (const std::string& f : floors) std::printf("- %s\n", f.c_str());
  return allGood ? 0 : 1;
}
