#include "driver/system.hpp"

#include <csignal>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace arribada::driver {

#ifdef _WIN32

namespace {

std::string utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();  // the terminating zero
  return bytes;
}

}  // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool windowClosesWithTheProgram() {
  DWORD processes[2];
  const bool ownConsole = GetConsoleProcessList(processes, 2) == 1;
  DWORD mode = 0;
  const bool inputIsTheConsole = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  return ownConsole && inputIsTheConsole;
}

#else

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool windowClosesWithTheProgram() { return false; }

#endif

void waitForEnter(std::istream& keyboard, std::ostream& errors) {
  errors << "Press Enter to close this window." << std::flush;
  keyboard.clear();
  std::string line;
  std::getline(keyboard, line);
}

void surviveClosedOutputs() {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace arribada::driver
