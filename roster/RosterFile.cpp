#include "roster/RosterFile.h"

#include <algorithm>
#include <limits>

namespace tazu {
namespace {

constexpr size_t kBlockBytes = kRecordsPerBlock * kRecordSize;

bool OffsetOf(int64_t index, uint64_t& offset) {
  constexpr auto kMaxIndex =
      std::numeric_limits<int64_t>::max() / static_cast<int64_t>(kRecordSize);
  if (index < 0 || index > kMaxIndex) return false;
  offset = static_cast<uint64_t>(index) * kRecordSize;
  return true;
}

}  // namespace

RosterFile::RosterFile(std::unique_ptr<RosterHandle> handle) : handle_(std::move(handle)) {}

RosterFile::~RosterFile() = default;

RosterFile::ReadResult RosterFile::ReadNext(LearnerRecord& record) {
  if (!handle_) return ReadResult::Failed;
  if (blockPos_ == blockRecords_) {
    if (atEnd_) return ReadResult::End;
    if (!Refill()) return ReadResult::Failed;
    if (blockRecords_ == 0) return ReadResult::End;
  }
  const auto first = block_.begin() + static_cast<std::ptrdiff_t>(blockPos_ * kRecordSize);
  std::copy(first, first + static_cast<std::ptrdiff_t>(kRecordSize), record.Raw().begin());
  ++blockPos_;
  ++next_;
  return ReadResult::Record;
}

bool RosterFile::Refill() {
  uint64_t offset = 0;
  if (!OffsetOf(next_, offset)) return false;
  block_.resize(kBlockBytes);
  const int64_t got = handle_->ReadAt(offset, block_.data(), block_.size());
  if (got < 0) return false;
  // A short read is the file's end; a torn record there is left unread.
  atEnd_ = static_cast<size_t>(got) < block_.size();
  blockRecords_ = static_cast<size_t>(got) / kRecordSize;
  blockPos_ = 0;
  return true;
}

bool RosterFile::WriteAt(int64_t index, const LearnerRecord& record) {
  uint64_t offset = 0;
  if (!handle_ || !OffsetOf(index, offset)) return false;
  return handle_->WriteAt(offset, record.Raw().data(), record.Raw().size());
}

bool RosterFile::Close() {
  if (!handle_) return false;
  const bool closed = handle_->Close();
  handle_.reset();
  return closed;
}

}  // namespace tazu
