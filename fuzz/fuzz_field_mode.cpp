// Fuzz target: arribada --field end to end, from the files on disk to the
// table on standard output. The first byte chooses the layout by the file's
// name (bit 0: a field-data file "night.dat", else "night.csv") and whether
// the night is given a second time under another name (bit 1); the other
// bytes are the file. Every input must end with status 0, or with status 2
// and one line that is a run-time error (never an internal error or an
// exception that leaves the mode).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/field_mode.hpp"
#include "fuzz/fuzz_input.hpp"

namespace {

namespace fs = std::filesystem;

fs::path scratchFolder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("arribada_fuzz_field_" + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

std::string written(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const fs::path path = scratchFolder() / name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path.string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace arribada;
  if (size == 0) return 0;
  const bool fieldDataLayout = (data[0] & 1) != 0;
  const bool twice = (data[0] & 2) != 0;
  driver::Options options;
  options.action = driver::Options::Action::Field;
  options.names.push_back(written(fieldDataLayout ? "night.dat" : "night.csv", data + 1, size - 1));
  if (twice) options.names.push_back(written(fieldDataLayout ? "again.dat" : "again.csv", data + 1, size - 1));
  std::ostringstream out;
  std::ostringstream errors;
  const int status = driver::runFieldAnalysis(options, out, errors);
  fuzz::require(status == 0 || status == 2, "a status other than 0 or 2");
  const std::string messages = errors.str();
  // A line of its own, not a file's text that a message quotes.
  fuzz::require(!messages.starts_with("arribada: internal error") &&
                    messages.find("\narribada: internal error") == std::string::npos,
                "an internal error");
  if (status == 2) {
    fuzz::require(messages.find("arribada: run-time error: ") != std::string::npos, "status 2 without its message");
  } else {
    fuzz::require(out.str().find("total") != std::string::npos, "a table without its total");
  }
  return 0;
}
