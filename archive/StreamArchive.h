// TStreamArchive: a set of named byte streams held in memory, all loaded at once
// from one archive file (two flag bytes, then an optionally enciphered and
// optionally compressed image of signature, count and entries).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/CorruptFile.h"
#include "archive/StreamRoutines.h"
#include "base/ByteReader.h"
#include "base/Streams.h"

namespace tazu {

class TStreamArchive {
 public:
  using TOnAskForKey = std::function<std::string(TStreamArchive* Sender)>;
  using TNotifyEvent = std::function<void(TStreamArchive* Sender)>;

  TStreamArchive() = default;
  ~TStreamArchive() { ClearStreams(); }
  TStreamArchive(const TStreamArchive&) = delete;
  TStreamArchive& operator=(const TStreamArchive&) = delete;

  // What the last successful load found: compression flag "&", encryption flag "*".
  bool Compressed() const { return compressed_; }
  void SetCompressed(bool value) { compressed_ = value; }
  bool Encrypted() const { return encrypted_; }
  void SetEncrypted(bool value) { encrypted_ = value; }
  // Key for enciphered archives; after a successful load, the key that was used.
  const std::string& Key() const { return key_; }
  void SetKey(const std::string& value) {
    if (value != key_) key_ = value;
  }

  // Asked for the key when an enciphered archive is loaded.
  TOnAskForKey OnAskForKey;
  // Fired just before ECorruptFile "File is corrupt." leaves a load.
  TNotifyEvent OnCorrupt;

  // Largest archive image a compressed archive may expand to.
  int64_t MaxExpandedSize() const { return maxExpandedSize_; }
  void SetMaxExpandedSize(int64_t value) { maxExpandedSize_ = value; }

  void LoadFromFile(const std::string& FileName);
  void LoadFromStream(TStream& Source);
  // Appends the named entry's whole contents at Dest's position, then sets Dest's
  // position to 0 (found or not). An empty name does nothing at all.
  void GetStream(const std::string& Name, TStream& Dest);
  void ClearStreams();

  // The table in its sorted order, for tools that list or extract everything.
  int Count() const { return static_cast<int>(table_.size()); }
  const std::string& Names(int index) const { return table_.at(index).name; }
  const TMemoryStream& Streams(int index) const { return *table_.at(index).stream; }

 private:
  struct TEntry {
    std::string name;
    std::unique_ptr<TMemoryStream> stream;
  };
  enum class TEntriesResult { Complete, Corrupt };

  [[noreturn]] void CorruptReport();
  void ReadStreamTable(const TMemoryStream& image);
  static TEntriesResult ReadEntries(ByteReader& r, int32_t count, std::vector<TEntry>& entries);
  static std::vector<TEntry> SortAndMerge(std::vector<TEntry> entries);
  std::vector<TEntry>::const_iterator Find(const std::string& name) const;

  bool compressed_ = true;
  bool encrypted_ = false;
  std::string key_;
  int64_t maxExpandedSize_ = kMaxExpandedSize;
  std::vector<TEntry> table_;  // sorted by name, ignoring Windows-1252 case, names unique
};

}  // namespace tazu
