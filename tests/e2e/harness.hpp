#pragma once
// Runs the built program in a fresh directory with answers on standard input,
// and gives back its exit status, its screen, its error messages and the
// report file split into lines.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
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
