#pragma once
// The command line. Options begin with "--"; every other argument is a name,
// used in order for the file names the user leaves blank. No option changes
// the report or the console text of a run.
//
//   --version        print the program's name and version, exit 0
//   --help           print a short usage, exit 0
//   --results DIR    (or --results=DIR) write machine-readable results into
//                    the new folder DIR
//   --field FILE...  analyse survey files without the dialogue (every later
//                    name is a survey file); combines with --results only
//   --design FILE    (or --design=FILE) run the design search of FILE
//                    instead of the dialogue
//   --wide           with --design: the full table, one line per design and scenario
//   --               every later argument is a name, even one beginning "--"

#include <optional>
#include <string>
#include <vector>

namespace arribada::driver {

struct Options {
  enum class Action { Run, Version, Help, Field, Design };
  Action action = Action::Run;
  std::optional<std::string> resultsDirectory;
  std::optional<std::string> designFile;  // with --design
  bool wide = false;                      // --wide: the design search's full table
  std::vector<std::string> names;  // with --field, the survey files
};

// Reads the arguments after the program's name. Throws
// std::invalid_argument, whose text names the offending argument, for an
// unknown option or an option without its value.
Options parseOptions(const std::vector<std::string>& arguments);

// The program's name and version, one line.
std::string versionText();

// The usage printed by --help.
std::string helpText();

}  // namespace arribada::driver
