#pragma once
// What every fuzz target shares: the fuzzer's bytes as a file or a console
// to read from, and a check that stops the run loudly when a reader breaks a
// promise of its own (a sanitizer stops it for undefined behaviour).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "text/lines.hpp"

namespace arribada::fuzz {

// Bytes as an input file: a stream and the line source that reads it.
struct FuzzFile {
  FuzzFile(const std::uint8_t* data, std::size_t size, const char* name)
      : stream(std::string(reinterpret_cast<const char*>(data), size)), source(stream, std::string("file '") + name + "'") {}
  std::istringstream stream;
  text::LineSource source;
};

inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "reader promise broken: %s\n", what);
  std::abort();
}

// Every record that a free-format line or a report value line makes fits the
// 80 columns of a report line.
inline void requireRecordsFit(const std::vector<std::string>& records, std::size_t longest = 80) {
  for (const std::string& record : records) require(record.size() <= longest, "a record longer than a report line");
}

}  // namespace arribada::fuzz
