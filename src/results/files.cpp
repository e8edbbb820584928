#include "results/files.hpp"

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include "text/errors.hpp"
#include "text/system_files.hpp"

namespace arribada::results {

void createFolder(const std::string& folder) {
  std::error_code error;
  // create_directory does nothing and says false when the name exists, as a
  // folder, a file or a link (even one that points nowhere).
  const bool created = std::filesystem::create_directory(text::systemPath(folder), error);
  if (created) return;
  const bool exists = !error || error == std::errc::file_exists;
  throw text::RunTimeError("create failed on the results folder '" + folder + "': " +
                           (exists ? std::string("a file or folder of that name exists already") : error.message()));
}

namespace {

// The name without separators at its end ("out/" is the folder "out").
std::string withoutTrailingSeparators(std::string name) {
  while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  return name;
}

bool nameExists(const std::string& name) {
  std::error_code error;
  // symlink_status: a link that points nowhere exists too.
  return std::filesystem::exists(std::filesystem::symlink_status(text::systemPath(name), error));
}

std::string existsMessage(const std::string& folder) {
  return "create failed on the results folder '" + folder + "': a file or folder of that name exists already";
}

// Makes the first free "NAME.unfinished", "NAME.unfinished-2", ... beside `final`.
std::string createUnfinishedFolder(const std::string& final) {
  constexpr int kTries = 100;
  for (int k = 1; k <= kTries; ++k) {
    std::string name = final + ".unfinished";
    if (k > 1) name += '-' + std::to_string(k);
    std::error_code error;
    if (std::filesystem::create_directory(text::systemPath(name), error)) return name;
    if (error && error != std::errc::file_exists)
      throw text::RunTimeError("create failed on the results folder '" + final + "' (made first as '" + name +
                               "'): " + error.message());
  }
  throw text::RunTimeError("create failed on the results folder '" + final + "': " + std::to_string(kTries) +
                           " unfinished folders of that name exist beside it (" + final +
                           ".unfinished...), left by stopped runs; remove them");
}

}  // namespace

StagedFolder::StagedFolder(std::string finalName) : final_(withoutTrailingSeparators(std::move(finalName))) {
  if (nameExists(final_)) throw text::RunTimeError(existsMessage(final_));
  path_ = createUnfinishedFolder(final_);
}

StagedFolder::~StagedFolder() {
  if (published_) return;
  std::error_code ignored;
  std::filesystem::remove_all(text::systemPath(path_), ignored);
}

void StagedFolder::publish() {
  if (published_) return;
  // A rename onto an empty folder would replace it: the name is looked at first.
  if (nameExists(final_)) throw text::RunTimeError(existsMessage(final_));
  std::error_code error;
  std::filesystem::rename(text::systemPath(path_), text::systemPath(final_), error);
  if (error)
    throw text::RunTimeError("rename failed on the results folder '" + path_ + "' to '" + final_ +
                             "': " + error.message());
  published_ = true;
}

std::FILE* openNewFile(const std::string& name) {
  // The report's exclusive create: nothing that exists is opened or followed.
  const text::NewFile created = text::createNewFile(name);
  if (created.file == nullptr)
    throw text::RunTimeError("open failed on the results file '" + name + "': " + created.problem);
  return created.file;
}

void writeWhole(std::FILE* file, const std::string& name, const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
    throw text::RunTimeError("write failed on the results file '" + name + "': " + std::strerror(errno));
  }
}

void writeNewFile(const std::string& name, const std::string& content) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openNewFile(name), &std::fclose);
  writeWhole(file.get(), name, content);
}

void replaceFile(const std::string& name, const std::string& content) {
  const std::string part = name + ".part";
  std::error_code error;
  // One left by a run that was stopped while writing it.
  std::filesystem::remove(text::systemPath(part), error);
  writeNewFile(part, content);
  // Some systems will not rename onto a file that exists.
  std::filesystem::remove(text::systemPath(name), error);
  std::filesystem::rename(text::systemPath(part), text::systemPath(name), error);
  if (error) throw text::RunTimeError("rename failed on the results file '" + part + "': " + error.message());
}

}  // namespace arribada::results
