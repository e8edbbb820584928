#include "results/files.hpp"

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include "text/errors.hpp"

namespace arribada::results {

void createFolder(const std::filesystem::path& folder) {
  std::error_code error;
  // create_directory does nothing and says false when the name exists, as a
  // folder, a file or a link (even one that points nowhere).
  const bool created = std::filesystem::create_directory(folder, error);
  if (created) return;
  const bool exists = !error || error == std::errc::file_exists;
  throw text::RunTimeError("create failed on the results folder '" + folder.string() + "': " +
                           (exists ? std::string("a file or folder of that name exists already") : error.message()));
}

std::FILE* openNewFile(const std::filesystem::path& path) {
  // "x": the open fails when the file exists.
  std::FILE* file = std::fopen(path.string().c_str(), "wbx");
  if (file == nullptr) {
    const int error = errno;
    throw text::RunTimeError(
        "open failed on the results file '" + path.string() + "': " +
        (error == EEXIST ? std::string("a file of that name exists already") : std::string(std::strerror(error))));
  }
  return file;
}

void writeWhole(std::FILE* file, const std::string& name, const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
    throw text::RunTimeError("write failed on the results file '" + name + "': " + std::strerror(errno));
  }
}

void writeNewFile(const std::filesystem::path& path, const std::string& content) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openNewFile(path), &std::fclose);
  writeWhole(file.get(), path.string(), content);
}

}  // namespace arribada::results
