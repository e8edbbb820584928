#pragma once
// What the program asks of the system it runs on beyond the C++ library:
// its command line, and whether the console window must wait before it closes.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace arribada::driver {

// The arguments after the program's name. On Windows they are read from the
// system's UTF-16 command line and given as UTF-8, whatever the code page.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// True only on Windows, when the program has a console window of its own
// (it was started by a double click, not from a command prompt, which keeps
// its window) and reads its answers from that console: the window would
// close with the program, before the user could read the last lines.
bool windowClosesWithTheProgram();

// A closed or broken standard output (`arribada --design F | head -2`)
// becomes a failed write that the run notices and reports, instead of the
// signal that would end the process before its files are whole (POSIX's
// SIGPIPE; Windows has none).
void surviveClosedOutputs();

// Asks on `errors` for Enter and waits for it (or for the end of `keyboard`).
void waitForEnter(std::istream& keyboard, std::ostream& errors);

}  // namespace arribada::driver
