#pragma once
// A source of input lines (the keyboard or a file) that knows its name and
// the number of the line last read, for the run-time error messages.
//
// Text saved by Windows editors is read too: a UTF-8 byte-order mark at the
// start is skipped, and a UTF-16 one (FF FE or FE FF) ends the run with a
// RunTimeError that says how to save the file as UTF-8.

#include <istream>
#include <string>

namespace arribada::text {

class LineSource {
 public:
  // `description` names the source in messages: "the keyboard", "'x.dat'".
  LineSource(std::istream& in, std::string description, bool keyboard = false)
      : in_(in), description_(std::move(description)), keyboard_(keyboard) {}

  // The next line without its line end (LF or CR LF); false at the end of input.
  // The first line's byte-order mark is handled as above.
  bool next(std::string& line);
  // True when no line is left (waits for the keyboard like a read).
  bool atEnd();
  const std::string& description() const { return description_; }
  int lineNumber() const { return lineNumber_; }
  // "the keyboard, line 3" / "'x.dat', line 12".
  std::string where() const;
  // Where the value `what` stands: "NTR in the header of 'x.dat', line 2" for
  // a file (whose name `what` holds), "the answer to NN (the keyboard, line 4)".
  std::string placeOf(const std::string& what) const;
  // "the keyboard input ended after line 3" / "'x.dat' ended after line 12".
  std::string endedHere() const;

 private:
  void takeByteOrderMark(std::string& line) const;

  std::istream& in_;
  std::string description_;
  bool keyboard_;
  int lineNumber_ = 0;
};

}  // namespace arribada::text
