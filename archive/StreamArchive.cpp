#include "archive/StreamArchive.h"

#include <algorithm>
#include <array>

#include "base/Exceptions.h"
#include "base/Text.h"

namespace tazu {

namespace {

constexpr uint8_t kCompressedFlag = '&';
constexpr uint8_t kEncryptedFlag = '*';
constexpr int kFlagBytes = 2;
constexpr std::array<uint8_t, 8> kSignature = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int64_t kCountOffset = kSignature.size();
constexpr int64_t kImageHeaderBytes = kCountOffset + 4;

bool ReadExact(TStream& stream, void* buffer, int64_t count) {
  return stream.Read(buffer, count) == count;
}

// Checks the signature at the start of `stream` (position left after it).
bool HasSignature(TStream& stream) {
  std::array<uint8_t, kSignature.size()> bytes{};
  stream.SetPosition(0);
  return ReadExact(stream, bytes.data(), bytes.size()) && bytes == kSignature;
}

uint32_t LittleEndian(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// Entry names are single-byte ANSI text: case is ignored over the Windows-1252 letters.
bool NameLess(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; }

}  // namespace

void TStreamArchive::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, FileMode::OpenRead);
  LoadFromStream(file);
}

void TStreamArchive::LoadFromStream(TStream& Source) {
  std::string workingKey = key_;
  // Both buffers are released on every path, failures included.
  TMemoryStream payload;
  TMemoryStream image;

  Source.SetPosition(0);
  std::array<uint8_t, kFlagBytes> flags{};
  if (!ReadExact(Source, flags.data(), flags.size())) CorruptReport();
  const bool compressed = flags[0] == kCompressedFlag;
  const bool encrypted = flags[1] == kEncryptedFlag;

  const int64_t rest = Source.Size() - Source.Position();
  // A count of 0 would copy the whole source, flags included.
  if (rest > 0) payload.CopyFrom(Source, rest);
  payload.SetPosition(0);

  if (encrypted) {
    if (OnAskForKey) workingKey = OnAskForKey(this);
    try {
      DecryptStream(payload, workingKey);
    } catch (...) {
      CorruptReport();
    }
  }
  if (!compressed && !HasSignature(payload)) CorruptReport();

  payload.SetPosition(0);
  if (compressed) {
    try {
      DecompressStream(payload, image, maxExpandedSize_);
    } catch (...) {
      CorruptReport();
    }
  } else {
    image.CopyFrom(payload, payload.Size());
  }
  payload.Clear();

  ReadStreamTable(image);

  key_ = workingKey;
  compressed_ = compressed;
  encrypted_ = encrypted;
}

void TStreamArchive::ReadStreamTable(TMemoryStream& image) {
  // An image too short for its count fails here too, before the old table goes.
  if (image.Size() < kImageHeaderBytes || !HasSignature(image)) CorruptReport();
  ClearStreams();

  image.SetPosition(kCountOffset);
  std::array<uint8_t, 4> countField{};
  ReadExact(image, countField.data(), countField.size());
  const auto count = static_cast<int32_t>(LittleEndian(countField.data(), 4));

  std::vector<TEntry> entries;
  TEntriesResult result = TEntriesResult::Complete;
  try {
    result = ReadEntries(image, count, entries);
  } catch (...) {
    // The entries read before the failure stay in the table.
    table_ = SortAndMerge(std::move(entries));
    throw;
  }
  table_ = SortAndMerge(std::move(entries));
  if (result == TEntriesResult::Corrupt) CorruptReport();
}

TStreamArchive::TEntriesResult TStreamArchive::ReadEntries(TMemoryStream& image, int32_t count,
                                                           std::vector<TEntry>& entries) {
  for (int32_t i = 0; i < count; ++i) {
    std::array<uint8_t, 2> lengthField{};
    if (!ReadExact(image, lengthField.data(), lengthField.size())) return TEntriesResult::Corrupt;
    const uint32_t nameLength = LittleEndian(lengthField.data(), 2);
    std::string name(nameLength, '\0');
    if (!ReadExact(image, name.data(), nameLength)) return TEntriesResult::Corrupt;

    std::array<uint8_t, 4> sizeField{};
    if (!ReadExact(image, sizeField.data(), sizeField.size())) return TEntriesResult::Corrupt;
    const auto size = static_cast<int32_t>(LittleEndian(sizeField.data(), 4));
    if (size < 0) return TEntriesResult::Corrupt;

    auto stream = std::make_unique<TMemoryStream>();
    if (size > 0) {
      // Data past the end of the image is the stream layer's read error.
      if (size > image.Size() - image.Position()) throw EReadError();
      stream->CopyFrom(image, size);
    }
    entries.push_back({std::move(name), std::move(stream)});
  }
  return TEntriesResult::Complete;
}

std::vector<TStreamArchive::TEntry> TStreamArchive::SortAndMerge(std::vector<TEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TEntry& a, const TEntry& b) { return NameLess(a.name, b.name); });
  // A repeated name keeps its first spelling and takes the later entry's data.
  std::vector<TEntry> merged;
  merged.reserve(entries.size());
  for (auto& entry : entries) {
    if (!merged.empty() && AnsiCompareText(merged.back().name, entry.name) == 0) {
      merged.back().stream = std::move(entry.stream);
    } else {
      merged.push_back(std::move(entry));
    }
  }
  return merged;
}

std::vector<TStreamArchive::TEntry>::const_iterator TStreamArchive::Find(
    const std::string& name) const {
  auto it =
      std::lower_bound(table_.begin(), table_.end(), name,
                       [](const TEntry& e, const std::string& n) { return NameLess(e.name, n); });
  if (it != table_.end() && AnsiCompareText(it->name, name) == 0) return it;
  return table_.end();
}

void TStreamArchive::GetStream(const std::string& Name, TStream& Dest) {
  if (Name.empty()) return;
  const auto it = Find(Name);
  if (it != table_.end()) {
    TMemoryStream& entry = *it->stream;
    Dest.WriteBuffer(entry.Memory(), entry.Size());
  }
  Dest.SetPosition(0);
}

void TStreamArchive::ClearStreams() { table_.clear(); }

void TStreamArchive::CorruptReport() {
  if (OnCorrupt) OnCorrupt(this);
  throw ECorruptFile(kArchiveFileCorrupt);
}

}  // namespace tazu
