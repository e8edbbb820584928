#include "driver/options.hpp"

#include <stdexcept>
#include <string_view>

#ifndef ARRIBADA_VERSION
#define ARRIBADA_VERSION "unknown"
#endif

namespace arribada::driver {
namespace {

constexpr std::string_view kResults = "--results";
constexpr const char* kFieldUsage = "arribada --field FILE [FILE ...] [--results DIR]";

constexpr std::string_view kDesign = "--design";
constexpr const char* kDesignUsage = "arribada --design FILE [--results DIR] [--wide]";

bool isOption(const std::string& argument) {
  return argument.size() > 2 && argument.starts_with("--");
}

// The value of option `name` at argument i, as "--name VALUE" (i moves on)
// or "--name=VALUE"; nothing when argument i is another option.
std::optional<std::string> valueOf(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name,
                                   const std::string& needs) {
  const std::string& argument = arguments[i];
  std::string value;
  if (argument == name) {
    if (i + 1 == arguments.size() || arguments[i + 1].empty())
      throw std::invalid_argument("option " + std::string(name) + " needs " + needs);
    return arguments[++i];
  }
  if (!argument.starts_with(std::string(name) + "=")) return std::nullopt;
  value = argument.substr(name.size() + 1);
  if (value.empty()) throw std::invalid_argument("option " + std::string(name) + " needs " + needs);
  return value;
}

}  // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
  Options options;
  bool namesOnly = false;
  bool field = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (namesOnly || !argument.starts_with("--")) {
      options.names.push_back(argument);
    } else if (argument == "--") {
      namesOnly = true;
    } else if (argument == "--field") {
      // A mode of its own: no dialogue, so no names for it before, and no other mode.
      if (field || options.action != Options::Action::Run || !options.names.empty()) {
        throw std::invalid_argument(std::string("--field does not combine with another mode or with names before it: ") +
                                    kFieldUsage);
      }
      field = true;
      options.action = Options::Action::Field;
    } else if (argument == "--version") {
      options.action = Options::Action::Version;
    } else if (argument == "--help") {
      options.action = Options::Action::Help;
    } else if (argument == "--wide") {
      options.wide = true;
    } else if (const auto folder = valueOf(arguments, i, kResults, "a folder name: --results DIR")) {
      options.resultsDirectory = folder;
    } else if (const auto file = valueOf(arguments, i, kDesign, "a design file: --design FILE")) {
      // A mode of its own too: one design file, no dialogue and so no names.
      if (options.designFile || field || options.action != Options::Action::Run) {
        throw std::invalid_argument(std::string("--design does not combine with another mode: ") + kDesignUsage);
      }
      options.designFile = file;
      options.action = Options::Action::Design;
    } else if (isOption(argument)) {
      throw std::invalid_argument("unknown option '" + argument + "' (arribada --help lists the options)");
    }
  }
  if (field && options.action != Options::Action::Field) {
    throw std::invalid_argument(std::string("--field does not combine with another mode: ") + kFieldUsage);
  }
  if (options.designFile && (options.action != Options::Action::Design || !options.names.empty())) {
    throw std::invalid_argument(std::string("--design takes one design file, no names and no other mode: ") +
                                kDesignUsage);
  }
  if (options.wide && options.action != Options::Action::Design) {
    throw std::invalid_argument(std::string("--wide goes with --design: ") + kDesignUsage);
  }
  if (field && options.names.empty()) {
    throw std::invalid_argument(std::string("--field needs the survey files to analyse: ") + kFieldUsage);
  }
  return options;
}

std::string versionText() { return std::string("arribada ") + ARRIBADA_VERSION + "\n"; }

std::string helpText() {
  return "arribada " ARRIBADA_VERSION
         ": numbers of nesting female sea turtles from instantaneous counts.\n"
         "\n"
         "Usage: arribada [OPTION]... [NAME]...\n"
         "\n"
         "The program asks its questions on the console: the report file's name, then\n"
         "whether to analyse a field-data file or to simulate arribadas of a known size.\n"
         "Answers can also come from a file, one answer per line:\n"
         "    arribada < answers.txt\n"
         "Each NAME is used, in order, for a file name answered with '' (blank).\n"
         "\n"
         "Options:\n"
         "  --results DIR  also write tables (CSV) and pictures (SVG) into the new folder DIR\n"
         "  --field FILE [FILE...]\n"
         "                 analyse survey files (field-data or CSV layout), one night\n"
         "                 each, without the dialogue: a table of the nights and their\n"
         "                 total on standard output (with --results, field.csv and\n"
         "                 field.svg in DIR)\n"
         "  --design FILE  compare survey designs as the design file FILE asks, without the\n"
         "                 dialogue (README, \"Choosing a design\"); results in FILE-designs/\n"
         "                 or in DIR; the table fits 80 columns, --wide prints every column\n"
         "  --version      print the program's name and version, then stop\n"
         "  --help         print this text, then stop\n"
         "  --             treat every later argument as a NAME\n"
         "\n"
         "The README, docs/files.md (the file layouts), docs/method.md (the method)\n"
         "and examples/ come with the program: beside arribada.exe in the Windows\n"
         "zip, in share/doc/arribada/ where it is installed on Linux or macOS.\n";
}

}  // namespace arribada::driver
