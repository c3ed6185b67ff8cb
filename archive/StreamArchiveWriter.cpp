#include "archive/StreamArchiveWriter.h"

#include <climits>
#include <filesystem>

#include "archive/StreamWriteRoutines.h"
#include "base/Exceptions.h"

namespace tazu {

namespace {

constexpr uint8_t kCompressedFlag = '&';
constexpr uint8_t kEncryptedFlag = '*';
constexpr uint8_t kStoredFlag = '-';
constexpr uint8_t kPlainFlag = '-';
constexpr uint8_t kSignature[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr size_t kMaxNameBytes = UINT16_MAX;

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i, value >>= 8) out.push_back(static_cast<uint8_t>(value));
}

}  // namespace

std::vector<uint8_t> BuildArchiveImage(const std::vector<TArchiveEntry>& entries) {
  if (entries.size() > static_cast<size_t>(INT32_MAX)) throw Exception("Too many entries");
  std::vector<uint8_t> image(std::begin(kSignature), std::end(kSignature));
  PutLittleEndian(image, static_cast<uint32_t>(entries.size()), 4);
  for (const auto& entry : entries) {
    if (entry.Name.size() > kMaxNameBytes) throw Exception("Entry name too long: " + entry.Name);
    if (entry.Data.size() > static_cast<size_t>(INT32_MAX)) {
      throw Exception("Entry too large: " + entry.Name);
    }
    PutLittleEndian(image, static_cast<uint32_t>(entry.Name.size()), 2);
    image.insert(image.end(), entry.Name.begin(), entry.Name.end());
    PutLittleEndian(image, static_cast<uint32_t>(entry.Data.size()), 4);
    image.insert(image.end(), entry.Data.begin(), entry.Data.end());
  }
  return image;
}

void SaveArchiveToStream(const std::vector<TArchiveEntry>& entries, TStream& Dest,
                         const TArchiveWriteOptions& options) {
  const auto image = BuildArchiveImage(entries);
  TMemoryStream payload;
  if (options.Compressed) {
    TMemoryStream source;
    source.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    source.SetPosition(0);
    CompressStream(source, payload, options.Compression);
  } else {
    payload.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
  }
  if (options.Encrypted) EncryptStream(payload, options.Key);

  const uint8_t flags[] = {options.Compressed ? kCompressedFlag : kStoredFlag,
                           options.Encrypted ? kEncryptedFlag : kPlainFlag};
  Dest.WriteBuffer(flags, sizeof flags);
  payload.SaveToStream(Dest);
}

void SaveArchiveToFile(const std::vector<TArchiveEntry>& entries, const std::string& fileName,
                       const TArchiveWriteOptions& options) {
  // Build in memory first so that a failure leaves no half-written file.
  TMemoryStream file;
  SaveArchiveToStream(entries, file, options);
  file.SaveToFile(fileName);
}

std::vector<TArchiveEntry> EntriesFromFiles(const std::vector<std::string>& files) {
  std::vector<TArchiveEntry> entries;
  entries.reserve(files.size());
  for (const auto& file : files) {
    TArchiveEntry entry;
    entry.Name = std::filesystem::path(file).filename().string();
    entry.Data = ReadWholeFile(file);
    entries.push_back(std::move(entry));
  }
  return entries;
}

void PackFilesToArchive(const std::string& archiveFile, const std::vector<std::string>& files,
                        const TArchiveWriteOptions& options) {
  SaveArchiveToFile(EntriesFromFiles(files), archiveFile, options);
}

}  // namespace tazu
