// Byte streams with the classic position semantics: reading past the end returns
// fewer bytes (ReadBuffer raises "Stream read error"), writing past the end extends
// the stream, and the position may be set anywhere at or after 0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tazu {

enum class SeekOrigin { Beginning, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to `count` bytes; returns how many were read (0 at or past the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes `count` bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, SeekOrigin::Beginning); }

  // Read or write exactly `count` bytes or raise EReadError / EWriteError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);

  // Copies `count` bytes from the current position of `source`; a count of 0 copies
  // the whole of `source` from its beginning. Returns the number copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  void Clear();
  const uint8_t* Memory() const { return data_.data(); }
  uint8_t* Memory() { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }

  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);
  void SaveToStream(TStream& target);
  void SaveToFile(const std::string& fileName);

 private:
  std::vector<uint8_t> data_;
  int64_t position_ = 0;
};

// Open modes of TFileStream. Sharing is always "deny none": several readers and a
// writer may have the same file open, as the roster and its readers expect.
enum class FileMode { Create, OpenRead, OpenWrite, OpenReadWrite };

class TFileStream : public TStream {
 public:
  // Raises EFOpenError (or EFCreateError for FileMode::Create) when the file
  // cannot be opened. The name goes through ResolvePath.
  TFileStream(const std::string& fileName, FileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;

  const std::string& FileName() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  bool lastWasWrite_ = false;
  bool lastWasRead_ = false;
};

// Whole-file helpers used by loaders that want the bytes at once.
std::vector<uint8_t> ReadWholeFile(const std::string& fileName);

}  // namespace tazu
