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

// A results folder that is whole or absent. Its files are written into a new
// folder beside it, named after it ("out.unfinished", or "out.unfinished-2"
// and on when that exists), which takes the final name in one rename when
// publish() is called: until then nothing of the final name exists, and an
// unpublished StagedFolder removes its folder and all in it when destroyed.
class StagedFolder {
 public:
  // A RunTimeError when the final name exists (a file, a folder or a link:
  // nothing that exists is touched) or the folder beside it cannot be made.
  explicit StagedFolder(std::string finalName);
  ~StagedFolder();
  StagedFolder(const StagedFolder&) = delete;
  StagedFolder& operator=(const StagedFolder&) = delete;

  // Where the files go until publish(); the final name after it.
  const std::string& path() const { return published_ ? final_ : path_; }
  const std::string& finalName() const { return final_; }
  // The unfinished folder's name, even after publish().
  const std::string& unfinishedName() const { return path_; }
  bool published() const { return published_; }

  // Gives the folder its final name; a RunTimeError when that name has come
  // to exist meanwhile or the rename fails (the folder stays unfinished).
  void publish();

 private:
  std::string final_;
  std::string path_;
  bool published_ = false;
};

// Opens `name` for writing as a new file; a RunTimeError when it exists or
// cannot be created.
std::FILE* openNewFile(const std::string& name);

// Writes `text` in one write and flushes it; a RunTimeError naming `name` when that fails.
void writeWhole(std::FILE* file, const std::string& name, const std::string& text);

// A new file holding `content`, closed again.
void writeNewFile(const std::string& name, const std::string& content);

// The file `name` written anew with `content`: the text goes to a new file
// beside it ("NAME.part", one left by a stopped run removed first), which
// then takes its place, so that `name` is always absent or whole.
void replaceFile(const std::string& name, const std::string& content);

}  // namespace arribada::results
