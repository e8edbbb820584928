#include "text/system_files.hpp"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace arribada::text {
namespace {

constexpr const char* kExists = "a file of that name exists already";

#ifdef _WIN32

// `bytes` in UTF-16 read in `codePage`; false when they are not valid there
// (only checked with `strict`).
bool widen(const std::string& bytes, UINT codePage, bool strict, std::wstring& wide) {
  if (bytes.empty()) return true;
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (length <= 0) return false;
  wide.resize(static_cast<std::size_t>(length));
  return MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length) == length;
}

// The code page of names that are not UTF-8.
UINT typedCodePage() {
  DWORD mode = 0;
  const bool console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  return console ? GetConsoleCP() : CP_ACP;
}

// The C library's wording of the system's most common reasons, so that the
// messages read as they do on the other systems.
std::string reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return std::strerror(EACCES);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return std::strerror(EINVAL);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    default:
      return "system error " + std::to_string(error);
  }
}

#endif

}  // namespace

#ifdef _WIN32

std::filesystem::path systemPath(const std::string& name) {
  std::wstring wide;
  if (!widen(name, CP_UTF8, true, wide)) widen(name, typedCodePage(), false, wide);
  return std::filesystem::path(wide);
}

NewFile createNewFile(const std::string& name) {
  const std::filesystem::path path = systemPath(name);
  // CREATE_NEW: the system refuses any name that exists, and opens no link.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A folder of that name is refused as "access denied".
    const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                        GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return {nullptr, exists ? kExists : reason(error), exists};
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return {nullptr, std::strerror(errno)};
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) {
    const int error = errno;
    _close(descriptor);
    return {nullptr, std::strerror(error)};
  }
  return {file, {}};
}

#else

std::filesystem::path systemPath(const std::string& name) { return std::filesystem::path(name); }

NewFile createNewFile(const std::string& name) {
  // O_EXCL with O_CREAT: the system refuses any name that exists, a link
  // included, whether or not it points anywhere.
  const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    const int error = errno;
    return {nullptr, error == EEXIST ? kExists : std::strerror(error), error == EEXIST};
  }
  std::FILE* file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    const int error = errno;
    ::close(descriptor);
    return {nullptr, std::strerror(error)};
  }
  return {file, {}};
}

#endif

}  // namespace arribada::text
