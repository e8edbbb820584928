#pragma once
// A source of input lines (the keyboard or a file) that knows its name and
// the number of the line last read, for the run-time error messages.

#include <istream>
#include <string>

namespace arribada::text {

class LineSource {
 public:
  // `description` names the source in messages: "the console", "file 'x.dat'".
  LineSource(std::istream& in, std::string description)
      : in_(in), description_(std::move(description)) {}

  // The next line without its line end (LF or CR LF); false at the end of input.
  bool next(std::string& line);
  const std::string& description() const { return description_; }
  int lineNumber() const { return lineNumber_; }
  // "the console, line 3" / "file 'x.dat', line 12".
  std::string where() const;

 private:
  std::istream& in_;
  std::string description_;
  int lineNumber_ = 0;
};

}  // namespace arribada::text
