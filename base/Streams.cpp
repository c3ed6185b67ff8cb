#include "base/Streams.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "base/Exceptions.h"
#include "base/Paths.h"

namespace tazu {

// ---- TStream ----

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError();
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr int64_t kChunk = 64 * 1024;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kChunk)));
  int64_t left = count;
  while (left > 0) {
    const int64_t n = std::min(left, kChunk);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

// ---- TMemoryStream ----

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= Size()) return 0;
  const int64_t n = std::min(count, Size() - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const int64_t end = position_ + count;
  if (end > Size()) data_.resize(static_cast<size_t>(end), 0);
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = 0;
  if (origin == SeekOrigin::Current) base = position_;
  if (origin == SeekOrigin::End) base = Size();
  position_ = std::max<int64_t>(0, base + offset);
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)), 0);
  position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t size = source.Size();
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(0, size)));
  source.ReadBuffer(bytes.data(), size);
  data_ = std::move(bytes);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, FileMode::OpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) { target.WriteBuffer(data_.data(), Size()); }

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, FileMode::Create);
  SaveToStream(file);
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& fileName, FileMode mode)
    : path_(ResolvePath(fileName)) {
  const char* how = "rb";
  switch (mode) {
    case FileMode::Create:
      how = "w+b";
      break;
    case FileMode::OpenRead:
      how = "rb";
      break;
    case FileMode::OpenWrite:
    case FileMode::OpenReadWrite:
      how = "r+b";
      break;
  }
  file_ = std::fopen(path_.c_str(), how);
  if (file_ == nullptr) {
    if (mode == FileMode::Create) throw EFCreateError(fileName);
    throw EFOpenError(fileName);
  }
}

TFileStream::~TFileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  // The C library requires a positioning call between a write and a read.
  if (lastWasWrite_) std::fseek(file_, 0, SEEK_CUR);
  lastWasWrite_ = false;
  lastWasRead_ = true;
  return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (lastWasRead_) std::fseek(file_, 0, SEEK_CUR);
  lastWasRead_ = false;
  lastWasWrite_ = true;
  return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
  const int whence = origin == SeekOrigin::Beginning ? SEEK_SET
                     : origin == SeekOrigin::Current ? SEEK_CUR
                                                     : SEEK_END;
  if (!(origin == SeekOrigin::Current && offset == 0)) {
    if (std::fseek(file_, static_cast<long>(offset), whence) != 0) std::fseek(file_, 0, SEEK_SET);
    lastWasRead_ = lastWasWrite_ = false;
  }
  return static_cast<int64_t>(std::ftell(file_));
}

int64_t TFileStream::Size() {
  const long here = std::ftell(file_);
  std::fseek(file_, 0, SEEK_END);
  const long size = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  lastWasRead_ = lastWasWrite_ = false;
  return static_cast<int64_t>(size);
}

void TFileStream::SetSize(int64_t size) {
  const int64_t here = Position();
  std::fflush(file_);
  std::error_code ec;
  std::filesystem::resize_file(path_, static_cast<std::uintmax_t>(std::max<int64_t>(0, size)), ec);
  if (ec) throw EWriteError();
  Seek(std::min(here, size), SeekOrigin::Beginning);
}

std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
  TMemoryStream stream;
  stream.LoadFromFile(fileName);
  return stream.Bytes();
}

}  // namespace tazu
