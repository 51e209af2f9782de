#pragma once
// Scripts and their transcripts give a control by its number; the tests
// write the names of the ids headers and turn them into numbers here.
#include <initializer_list>
#include <string>

namespace talvon::test {

inline std::string Id(int controlId) { return std::to_string(controlId); }

// A "print" command for each control, in order.
inline std::string Print(std::initializer_list<int> controls) {
  std::string script;
  for (int id : controls) script += "print " + Id(id) + "\n";
  return script;
}

}  // namespace talvon::test
