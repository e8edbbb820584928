#pragma once
// The design file: plain text, one NAME = value[, value ...] per line. '#'
// starts a comment, blank lines are passed over, names are case-insensitive.
// DENSITY and PILOT may repeat (each line a scenario; a PILOT names a survey
// file, read by the survey readers, whose counts give the scenario); every
// other name appears at most once. docs/method.md lists the names and their defaults.

#include <istream>
#include <string>

#include "design/search.hpp"

namespace arribada::design {

// Reads a design file into settings and validates it. Every fault (an unknown
// or repeated name, with the nearest valid name suggested; a bad value or
// range; an empty list; a density of the wrong form; a fault validateSettings
// finds) becomes one line "FILE, line N: ..." and all of them together are
// thrown as one text::RunTimeError.
// A PILOT's relative file name is taken from `folder` (the design file's;
// empty: the current folder); a survey that cannot be read or used is a fault
// of its line.
SearchSettings parseDesignFile(std::istream& in, const std::string& fileName, const std::string& folder = {});

// The settings of the design file `path` (a RunTimeError when it cannot be opened).
SearchSettings readDesignFile(const std::string& path);

}  // namespace arribada::design
