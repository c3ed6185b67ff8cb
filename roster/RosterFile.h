// The roster file opened for one call: whole records handed out one at a time from
// blocks read many records at once, records written at record boundaries, and every
// failure (including one that only shows when the file is closed) reported as a
// result, never as an exception.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "roster/LearnerRecord.h"
#include "roster/RosterStorage.h"

namespace tazu {

// Records read with one call: about 700 KB, so that a roster of 10,000 learners
// takes some ten reads.
inline constexpr size_t kRecordsPerBlock = 1024;

class RosterFile {
 public:
  enum class ReadResult { Record, End, Failed };

  explicit RosterFile(std::unique_ptr<RosterHandle> handle);
  ~RosterFile();
  RosterFile(const RosterFile&) = delete;
  RosterFile& operator=(const RosterFile&) = delete;

  // Reads the next whole record; its number (counting from 0) is then
  // NextIndex() - 1. End means fewer than a record's bytes were left: an incomplete
  // tail is never handed out.
  ReadResult ReadNext(LearnerRecord& record);
  int64_t NextIndex() const { return next_; }
  // Writes `record` as record number `index` (counting from 0).
  bool WriteAt(int64_t index, const LearnerRecord& record);
  // Closes the file, releasing its lock; false when the close itself failed.
  bool Close();

 private:
  bool Refill();

  std::unique_ptr<RosterHandle> handle_;
  std::vector<uint8_t> block_;
  size_t blockRecords_ = 0;  // whole records in block_
  size_t blockPos_ = 0;      // the next of them to hand out
  int64_t next_ = 0;         // the number of the next record to hand out
  bool atEnd_ = false;       // the last block read was the file's end
};

}  // namespace tazu
