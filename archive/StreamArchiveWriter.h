// Writes archives in the layout TStreamArchive reads, for tools (the frame-library
// packer, the demo install generator) and tests. Never linked into the launcher.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/Lh5Encoder.h"
#include "base/Streams.h"

namespace tazu {

struct TArchiveEntry {
  std::string Name;
  std::vector<uint8_t> Data;
};

struct TArchiveWriteOptions {
  bool Compressed = true;
  bool Encrypted = false;
  std::string Key;  // needed when Encrypted
  TLh5EncodeOptions Compression;
};

// The archive image: signature, count and the entries in the order given.
// Raises tazu::Exception for a name over 65535 bytes or data over 2 GB.
std::vector<uint8_t> BuildArchiveImage(const std::vector<TArchiveEntry>& entries);

// The whole archive file: flag bytes, then the image compressed and enciphered
// as the options say.
void SaveArchiveToStream(const std::vector<TArchiveEntry>& entries, TStream& Dest,
                         const TArchiveWriteOptions& options = {});
void SaveArchiveToFile(const std::vector<TArchiveEntry>& entries, const std::string& fileName,
                       const TArchiveWriteOptions& options = {});

// Reads each file whole; the entry is named after the file name without its folder.
std::vector<TArchiveEntry> EntriesFromFiles(const std::vector<std::string>& files);

// Packs the files into an archive file, entries in the order of `files`.
void PackFilesToArchive(const std::string& archiveFile, const std::vector<std::string>& files,
                        const TArchiveWriteOptions& options = {});

}  // namespace tazu
