#include "text/channels.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "text/errors.hpp"
#include "text/system_files.hpp"

namespace arribada::text {

void RecordSink::write(const Items& items) {
  for (const std::string& record : layoutRecords(items)) writeRecord(record);
}

// Every screen line is handed on as it is written, so that progress shows
// while the work is done (the program's streams are not synchronised with
// stdio and would otherwise hold the lines until a read).
void Screen::writeRecord(const std::string& record) {
  // The first character only starts a new line.
  if (!record.empty()) out_.write(record.data() + 1, static_cast<std::streamsize>(record.size() - 1));
  out_.put('\n');
  out_.flush();
  refuseFailedWrite();
}

void Screen::writeRaw(const std::string& text) {
  out_ << text << std::flush;
  refuseFailedWrite();
}

void Screen::refuseFailedWrite() const {
  if (out_) return;
  const int error = errno;
  throw RunTimeError(std::string("write failed on the standard output: ") +
                     (error != 0 ? std::strerror(error) : "the system refused the text"));
}

void Warnings::warn(const std::string& text) {
  if (errors_ == nullptr) return;
  *errors_ << "arribada: warning: " << text << '\n' << std::flush;
}

ReportFile::ReportFile(const std::string& name) : name_(name) {
  // Created new, so that a report is never overwritten.
  NewFile created = createNewFile(name);
  if (created.file == nullptr) {
    throw RunTimeError("the report file '" + name + "' cannot be created: " +
                       (created.exists ? created.problem + " (the program never overwrites one); give another "
                                                           "name or remove that file"
                                       : created.problem));
  }
  file_ = created.file;
}

ReportFile::~ReportFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void ReportFile::writeRecord(const std::string& record) {
  const std::string stored = (record.empty() ? std::string(" ") : record) + "\r\n";
  if (std::fwrite(stored.data(), 1, stored.size(), file_) != stored.size() || std::fflush(file_) != 0) {
    throw RunTimeError("the report file '" + name_ + "' cannot be written: " + std::strerror(errno));
  }
}

void ReportFile::close() {
  if (file_ == nullptr) return;
  const int status = std::fclose(file_);
  file_ = nullptr;
  if (status != 0) throw RunTimeError("the report file '" + name_ + "' cannot be closed: " + std::strerror(errno));
}

void ReportUnit::writeRecord(const std::string& record) {
  if (file_) {
    file_->writeRecord(record);
  } else {
    screen_.writeRecord(record);
  }
}

void ReportUnit::close() {
  if (!file_) return;
  file_->close();
  file_.reset();
}

namespace {

std::string currentFolder() {
  std::error_code failed;
  const auto folder = std::filesystem::current_path(failed);
  return failed ? std::string("where the program was started") : folder.string();
}

}  // namespace

struct InputUnit::OpenFile {
  explicit OpenFile(const std::string& name) : source(stream, "'" + name + "'") {}
  std::ifstream stream;
  LineSource source;
};

void InputUnit::open(const std::string& name) {
  auto file = std::make_shared<OpenFile>(name);
  const std::filesystem::path path = systemPath(name);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw RunTimeError("the data file '" + name + "' cannot be opened: it is a folder; give the name of a file in it");
  }
  file->stream.open(path, std::ios::binary);
  if (!file->stream) {
    throw RunTimeError("the data file '" + name + "' cannot be opened: " +
                       (std::filesystem::exists(path, ignored)
                            ? std::string("it cannot be read (check its permissions)")
                            : "there is no such file in the folder '" + currentFolder() + "'"));
  }
  file_ = std::move(file);
}

void InputUnit::close() { file_.reset(); }

LineSource& InputUnit::source() { return file_ ? file_->source : console_.keyboard(); }

}  // namespace arribada::text
