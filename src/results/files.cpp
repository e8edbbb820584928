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
  writeNewFile(part, content);
  std::error_code error;
  // Some systems will not rename onto a file that exists.
  std::filesystem::remove(text::systemPath(name), error);
  std::filesystem::rename(text::systemPath(part), text::systemPath(name), error);
  if (error) throw text::RunTimeError("rename failed on the results file '" + part + "': " + error.message());
}

}  // namespace arribada::results
