#pragma once
// The system side of the files a run opens by the names the user gives.
//
// A name is the bytes typed or passed on the command line. On Linux and
// macOS those bytes are the file name. On Windows the name is turned into
// the system's UTF-16: as UTF-8 when the bytes are valid UTF-8 (answer files
// saved by today's editors, a console set to UTF-8, the command line, which
// the program reads as UTF-8), otherwise in the code page they were typed
// in: the console's input code page when standard input is a console, the
// system's ANSI code page when it is a file. So 'playa-año.txt' names the
// same file however it reached the program.

#include <cstdio>
#include <filesystem>
#include <string>

namespace arribada::text {

// The path the system opens for `name`.
std::filesystem::path systemPath(const std::string& name);

struct NewFile {
  std::FILE* file = nullptr;  // open for writing in binary mode; null when it could not be made
  std::string problem;        // why not, when file is null
  bool exists = false;        // null because something of that name exists
};

// Creates the file `name` for writing, only if nothing of that name exists:
// an existing file, folder or link (even one that points nowhere) is left
// untouched and never followed, and the problem is then
// "a file of that name exists already". The check and the creation are one
// step of the system, so no other program can slip a file in between.
NewFile createNewFile(const std::string& name);

}  // namespace arribada::text
