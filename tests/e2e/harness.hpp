#pragma once
// Runs the built program in a fresh directory with answers on standard input,
// and gives back its exit status, its screen, its error messages and the
// report file split into lines.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace arribada::e2e {

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> splitLines(const std::string& text, const std::string& end) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto at = text.find(end, start);
    if (at == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, at - start));
    start = at + end.size();
  }
  return lines;
}

// The two lines after each "THE DATE & TIME ARE" hold the clock's values:
// they are checked for their layout (three integer fields) and masked.
inline std::vector<std::string> maskStamps(std::vector<std::string> lines, std::size_t lead) {
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i].substr(lead) != "THE DATE & TIME ARE") continue;
    for (std::size_t k = 1; k <= 2; ++k) {
      std::string& line = lines[i + k];
      EXPECT_EQ(line.size() + (lead == 0 ? 1 : 0), 36u) << "stamp line: '" << line << "'";
      line = k == 1 ? "<date>" : "<time>";
    }
    i += 2;
  }
  return lines;
}

struct Result {
  int status = -1;
  std::string screen;                 // standard output as written
  std::vector<std::string> screenLines;  // split on LF, stamp values masked
  std::string errors;
  bool reportExists = false;
  std::string reportBytes;
  std::vector<std::string> report;  // split on CR LF, stamp values masked
  std::filesystem::path directory;
};

class Sandbox {
 public:
  Sandbox() {
    static std::atomic<int> counter{0};
    directory_ = std::filesystem::temp_directory_path() /
                 ("arribada_e2e_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
  }
  ~Sandbox() { std::filesystem::remove_all(directory_); }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  void writeFile(const std::string& name, const std::string& content) const {
    std::ofstream out(directory_ / name, std::ios::binary);
    out << content;
  }
  const std::filesystem::path& directory() const { return directory_; }

  Result run(const std::string& answers, const std::string& reportName = "report.txt",
             const std::string& arguments = "") const {
    writeFile("answers.in", answers);
    const std::string command = "cd '" + directory_.string() + "' && '" + ARRIBADA_BINARY + "' " + arguments +
                                " < answers.in > screen.out 2> errors.out";
    const int raw = std::system(command.c_str());
    Result result;
    result.directory = directory_;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.screen = readFile(directory_ / "screen.out");
    result.screenLines = maskStamps(splitLines(result.screen, "\n"), 0);
    result.errors = readFile(directory_ / "errors.out");
    result.reportExists = std::filesystem::exists(directory_ / reportName);
    if (result.reportExists) {
      result.reportBytes = readFile(directory_ / reportName);
      result.report = maskStamps(splitLines(result.reportBytes, "\r\n"), 1);
    }
    return result;
  }

 private:
  std::filesystem::path directory_;
};

// The program run in `directory` while the test types its answers into a pipe
// one piece at a time, watches the files grow and may send it a signal. The
// error messages go to errors.out there, the screen to screen.out or, with
// ScreenTo::Pipe, into a pipe that the test reads.
class LiveRun {
 public:
  enum class ScreenTo { File, Pipe };

  explicit LiveRun(const std::filesystem::path& directory, ScreenTo screenTo = ScreenTo::File,
                   std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), ARRIBADA_BINARY);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // A program that has ended must not take the test with it when it is typed to.
    std::signal(SIGPIPE, SIG_IGN);
    int pipeEnds[2];
    int screenEnds[2] = {-1, -1};
    if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    if (screenTo == ScreenTo::Pipe && ::pipe(screenEnds) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
      // The child: the answers on standard input, a console user's signals.
      ::dup2(pipeEnds[0], 0);
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
      if (::chdir(directory.c_str()) != 0) ::_exit(126);
      const int screen =
          screenTo == ScreenTo::Pipe ? screenEnds[1] : ::open("screen.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (screenEnds[0] >= 0) ::close(screenEnds[0]);
      const int errors = ::open("errors.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(screen, 1);
      ::dup2(errors, 2);
      std::signal(SIGINT, SIG_DFL);
      std::signal(SIGPIPE, SIG_DFL);
      ::execv(ARRIBADA_BINARY, argv.data());
      ::_exit(127);
    }
    ::close(pipeEnds[0]);
    input_ = pipeEnds[1];
    if (screenEnds[1] >= 0) ::close(screenEnds[1]);
    screen_ = screenEnds[0];
  }
  ~LiveRun() {
    if (input_ >= 0) ::close(input_);
    if (screen_ >= 0) ::close(screen_);
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }
  LiveRun(const LiveRun&) = delete;
  LiveRun& operator=(const LiveRun&) = delete;

  void type(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(input_, text.data() + done, text.size() - done);
      if (n <= 0) return;  // the program has ended
      done += static_cast<std::size_t>(n);
    }
  }
  void sendSignal(int signal) { ::kill(pid_, signal); }

  // Waits until the file holds `text`, for at most `seconds`; false if it never did.
  static bool waitForText(const std::filesystem::path& file, const std::string& text, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (readFile(file).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // All that the screen pipe has shown so far, without waiting for more.
  const std::string& screenSoFar() {
    char buffer[4096];
    pollfd ready{screen_, POLLIN, 0};
    while (::poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN) != 0) {
      const ssize_t n = ::read(screen_, buffer, sizeof buffer);
      if (n <= 0) break;
      shown_.append(buffer, static_cast<std::size_t>(n));
    }
    return shown_;
  }

  // True while the program has not ended.
  bool running() {
    if (!ended_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return !ended_;
  }

  // Waits for the program's end and gives its raw wait status.
  int wait() {
    if (!ended_) ::waitpid(pid_, &status_, 0);
    ended_ = true;
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int screen_ = -1;
  std::string shown_;  // what the screen pipe has shown so far
  bool ended_ = false;
  int status_ = 0;
};

// Answers for a whole keyboard dialogue: `values` are the nine answers in
// block order; each is followed by "N" to the change question.
inline std::string keyboardAnswers(const std::vector<std::string>& values) {
  std::string answers = "\nY\n";  // no field data; parameters at the keyboard
  for (const auto& value : values) answers += value + "\nN\n";
  return answers;
}

// Lines of `lines` from `first` on, `count` of them.
inline std::vector<std::string> slice(const std::vector<std::string>& lines, std::size_t first, std::size_t count) {
  if (first >= lines.size()) return {};
  return {lines.begin() + static_cast<std::ptrdiff_t>(first),
          lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), first + count))};
}

// The index of the first line equal to `line` at or after `from`; lines.size() if none.
inline std::size_t find(const std::vector<std::string>& lines, const std::string& line, std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i] == line) return i;
  }
  return lines.size();
}

}  // namespace arribada::e2e
