// The operations of the performance table and their floors: each set up in
// a fresh folder, then timed. Every one runs in a process of its own
// (measure.cpp), so that its peak memory is its own.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace talvon::perf {

// What one timed run gives back besides its time.
struct RunNote {
  bool good = true;
  std::string text;  // a remark for the table (bus cycles per unit, ...)
};

// Prepared in the measuring process, before the clock starts; `timed` is
// the part that is measured, and may be called more than once.
struct Prepared {
  std::function<RunNote()> timed;
};

struct Measurement {
  std::string operation;   // the row's name
  std::string floorIs;     // what the floor does
  int repetitions = 3;     // timed runs; the median is reported
  std::function<Prepared(const std::filesystem::path& folder)> prepare;
  std::function<Prepared(const std::filesystem::path& folder)> prepareFloor;
};

std::vector<Measurement> AllMeasurements();

}  // namespace talvon::perf
