#include "roster/RosterFile.h"

#include <limits>

#include "base/Paths.h"

namespace tazu {

RosterFile::~RosterFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RosterFile::Open(const std::string& fileName) { return OpenWith(fileName, "r+b"); }

bool RosterFile::Create(const std::string& fileName) { return OpenWith(fileName, "w+b"); }

bool RosterFile::OpenWith(const std::string& fileName, const char* mode) {
  if (file_ != nullptr) return false;
  file_ = std::fopen(ResolvePath(fileName).c_str(), mode);
  if (file_ == nullptr) return false;
  // Unbuffered: each record goes to the file at once, so a failing write is seen
  // by the call that made it, and reads take one record at a time.
  return std::setvbuf(file_, nullptr, _IONBF, 0) == 0;
}

RosterFile::ReadResult RosterFile::ReadNext(LearnerRecord& record) {
  if (file_ == nullptr) return ReadResult::Failed;
  // The C library wants a positioning call between a write and a read.
  if (lastWasWrite_ && std::fseek(file_, 0, SEEK_CUR) != 0) return ReadResult::Failed;
  lastWasWrite_ = false;
  LearnerRecord::Bytes bytes;
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), file_);
  if (got == bytes.size()) {
    record = LearnerRecord(bytes);
    return ReadResult::Record;
  }
  return std::ferror(file_) != 0 ? ReadResult::Failed : ReadResult::End;
}

bool RosterFile::WriteAt(int64_t index, const LearnerRecord& record) {
  if (file_ == nullptr || !SeekTo(index)) return false;
  lastWasWrite_ = true;
  return std::fwrite(record.Raw().data(), 1, record.Raw().size(), file_) == record.Raw().size();
}

bool RosterFile::Close() {
  if (file_ == nullptr) return false;
  const bool healthy = std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return healthy && closed;
}

bool RosterFile::SeekTo(int64_t index) {
  // fseek takes a long, which is 32 bits on some systems: refuse what it cannot hold.
  constexpr auto kMaxIndex =
      static_cast<int64_t>(std::numeric_limits<long>::max() / static_cast<long>(kRecordSize));
  if (index < 0 || index > kMaxIndex) return false;
  return std::fseek(file_, static_cast<long>(index) * static_cast<long>(kRecordSize), SEEK_SET) ==
         0;
}

}  // namespace tazu
