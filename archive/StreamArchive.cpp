#include "archive/StreamArchive.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/ByteReader.h"
#include "base/Exceptions.h"
#include "base/Text.h"

namespace tazu {

namespace {

constexpr uint8_t kCompressedFlag = '&';
constexpr uint8_t kEncryptedFlag = '*';
constexpr int kFlagBytes = 2;
constexpr std::string_view kSignature = "\1\2\3\4\5\6\7\10";

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
  if (Source.Read(flags.data(), kFlagBytes) != kFlagBytes) CorruptReport();
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
  if (!compressed && !ByteReader(payload.Bytes()).Tag(kSignature)) CorruptReport();

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

void TStreamArchive::ReadStreamTable(const TMemoryStream& image) {
  ByteReader r(image.Bytes());
  const bool hasSignature = r.Tag(kSignature);
  const auto count = static_cast<int32_t>(r.U32Le());
  // An image too short for its count fails here too, before the old table goes.
  if (!hasSignature || !r.Ok()) CorruptReport();
  ClearStreams();

  std::vector<TEntry> entries;
  TEntriesResult result = TEntriesResult::Complete;
  try {
    result = ReadEntries(r, count, entries);
  } catch (...) {
    // The entries read before the failure stay in the table.
    table_ = SortAndMerge(std::move(entries));
    throw;
  }
  table_ = SortAndMerge(std::move(entries));
  if (result == TEntriesResult::Corrupt) CorruptReport();
}

TStreamArchive::TEntriesResult TStreamArchive::ReadEntries(ByteReader& r, int32_t count,
                                                           std::vector<TEntry>& entries) {
  for (int32_t i = 0; i < count; ++i) {
    std::string name(r.Text(r.U16Le()));
    const auto size = static_cast<int32_t>(r.U32Le());
    if (!r.Ok() || size < 0) return TEntriesResult::Corrupt;
    // Data past the end of the image is the stream layer's read error.
    if (static_cast<size_t>(size) > r.Left()) throw EReadError();
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(r.Bytes(static_cast<size_t>(size)).data(), size);
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
