// The roster file opened for one call: whole records read one at a time, records
// written at record boundaries, and every failure (including one that only shows
// when the file is closed) reported as a result, never as an exception.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "roster/LearnerRecord.h"

namespace tazu {

class RosterFile {
 public:
  enum class ReadResult { Record, End, Failed };

  RosterFile() = default;
  ~RosterFile();
  RosterFile(const RosterFile&) = delete;
  RosterFile& operator=(const RosterFile&) = delete;

  // Opens an existing file for reading and writing, shared with other readers and
  // writers. The name goes through ResolvePath.
  bool Open(const std::string& fileName);
  // Creates the file (empty) for reading and writing.
  bool Create(const std::string& fileName);

  // Reads the next whole record. End means fewer than a record's bytes were left:
  // an incomplete tail is never handed out.
  ReadResult ReadNext(LearnerRecord& record);
  // Writes `record` as record number `index` (counting from 0) and leaves the
  // position after it.
  bool WriteAt(int64_t index, const LearnerRecord& record);
  // Closes the file; false when the close itself failed or an earlier step had.
  bool Close();

 private:
  bool OpenWith(const std::string& fileName, const char* mode);
  bool SeekTo(int64_t index);

  std::FILE* file_ = nullptr;
  bool lastWasWrite_ = false;
};

}  // namespace tazu
