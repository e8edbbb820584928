#pragma once
// The results folder and the files in it: the folder and every file are
// created new, never over something that exists, and every piece of text is
// handed to the system in one write and flushed at once.

#include <cstdio>
#include <filesystem>
#include <string>

namespace arribada::results {

// Creates the folder; a RunTimeError when a file or folder of that name
// exists (nothing that exists is touched) or it cannot be created.
void createFolder(const std::string& folder);

// Opens `name` for writing as a new file; a RunTimeError when it exists or
// cannot be created.
std::FILE* openNewFile(const std::string& name);

// Writes `text` in one write and flushes it; a RunTimeError naming `name` when that fails.
void writeWhole(std::FILE* file, const std::string& name, const std::string& text);

// A new file holding `content`, closed again.
void writeNewFile(const std::string& name, const std::string& content);

// The folder's own file `name` written anew with `content`: the text goes to
// a new file beside it, which then takes its place, so that `name` always
// holds a whole document.
void replaceFile(const std::string& name, const std::string& content);

}  // namespace arribada::results
