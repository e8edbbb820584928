#pragma once
// The program's channels: the console (keyboard and screen), the report unit
// (the report file, or the screen when no file is connected) and the input
// unit (the keyboard, or a parameter or field-data file opened on it).

#include <cstdio>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "text/format.hpp"
#include "text/lines.hpp"

namespace arribada::text {

// Something that takes output records. A record's first character is its
// carriage control; what a record looks like once written is the sink's business.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void writeRecord(const std::string& record) = 0;

  // One free-format output statement.
  void write(const Items& items);
  // A statement with no items: an empty line.
  void writeEmpty() { write({}); }
};

// Keeps nothing: for lines the caller has no use for (the engine's
// diagnostics in a design search, a computation run again without its printing).
class DiscardingSink : public RecordSink {
 public:
  void writeRecord(const std::string&) override {}
};

// Keeps the records it is given: for tests and for output built before it is sent.
class RecordingSink : public RecordSink {
 public:
  void writeRecord(const std::string& record) override { records.push_back(record); }
  std::vector<std::string> records;
};

// The screen: a record shows from its second character, and is flushed. A
// write that fails (standard output closed, a full disk) is a RunTimeError.
class Screen : public RecordSink {
 public:
  explicit Screen(std::ostream& out) : out_(out) {}
  void writeRecord(const std::string& record) override;
  // Write text exactly as it stands, with no line end (a prompt on its own line).
  void writeRaw(const std::string& text);
  void flush() { out_.flush(); }

 private:
  void refuseFailedWrite() const;

  std::ostream& out_;
};

// Warnings about input that is readable but probably not what was meant.
// They go to the error output only: the report and the screen's standard
// output keep exactly their texts. Without a stream they are dropped.
class Warnings {
 public:
  explicit Warnings(std::ostream* errors = nullptr) : errors_(errors) {}
  void warn(const std::string& text);

 private:
  std::ostream* errors_;
};

// The keyboard and the screen together, with the error output's hints about
// answers typed at the keyboard.
class Console : public RecordSink {
 public:
  Console(std::istream& keyboard, std::ostream& screen, Warnings warnings = Warnings{})
      : screen_(screen), keyboard_(keyboard, "the keyboard", true), warnings_(warnings) {}
  void writeRecord(const std::string& record) override { screen_.writeRecord(record); }
  Screen& screen() { return screen_; }
  Warnings& warnings() { return warnings_; }
  // Every read of the keyboard goes through here, so that all that was
  // written is on the screen before the read waits.
  LineSource& keyboard() {
    screen_.flush();
    return keyboard_;
  }

 private:
  Screen screen_;
  LineSource keyboard_;
  Warnings warnings_;
};

// A report file, created new: records end with CR LF and an empty record is
// stored as one blank. Each record is flushed as it is written, so that a run
// that ends early leaves every line written before it, complete.
class ReportFile : public RecordSink {
 public:
  // Fails with a RunTimeError when a file of that name exists or it cannot be created.
  explicit ReportFile(const std::string& name);
  ~ReportFile() override;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  void writeRecord(const std::string& record) override;
  void close();
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::FILE* file_ = nullptr;
};

// Unit 6: the report file while one is connected, the screen otherwise.
class ReportUnit : public RecordSink {
 public:
  explicit ReportUnit(Screen& screen) : screen_(screen) {}
  void connect(std::unique_ptr<ReportFile> file) { file_ = std::move(file); }
  bool connected() const { return file_ != nullptr; }
  void writeRecord(const std::string& record) override;
  // Closes and keeps the file; from then on the unit is the screen.
  void close();

 private:
  Screen& screen_;
  std::unique_ptr<ReportFile> file_;
};

// Unit 5: the keyboard until a data file is opened on it.
class InputUnit {
 public:
  explicit InputUnit(Console& console) : console_(console) {}
  // Opens an existing file for reading; fails with a RunTimeError otherwise.
  void open(const std::string& name);
  // Closes a file opened on the unit; the unit reads the keyboard again.
  void close();
  bool connected() const { return file_ != nullptr; }
  LineSource& source();

 private:
  struct OpenFile;
  Console& console_;
  std::shared_ptr<OpenFile> file_;
};

}  // namespace arribada::text
