#pragma once
// Scripts and their transcripts give a control by its number; the tests
// write the names of the ids headers and turn them into numbers here.
#include <string>

namespace talvon::test {

inline std::string Id(int controlId) { return std::to_string(controlId); }

}  // namespace talvon::test
