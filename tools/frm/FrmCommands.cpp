#include "tools/frm/FrmCommands.h"

#include <filesystem>
#include <set>

#include "archive/StreamArchive.h"
#include "archive/StreamArchiveWriter.h"
#include "base/Exceptions.h"
#include "base/Text.h"

namespace tazu {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tazu-frm pack OUT.frm [--stored] FILE...\n"
    "       tazu-frm list IN.frm\n"
    "       tazu-frm extract IN.frm NAME OUT\n"
    "       tazu-frm extract-all IN.frm DIR\n";

int Usage(std::ostream& err) {
  err << kUsage;
  return kFrmUsage;
}

int Pack(const std::vector<std::string>& args, std::ostream& err) {
  if (args.size() < 2) return Usage(err);
  TArchiveWriteOptions options;
  std::vector<std::string> files;
  std::set<std::string> seen;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--stored") {
      options.Compressed = false;
      continue;
    }
    const fs::path path(args[i]);
    if (!fs::is_regular_file(path)) {
      err << "tazu-frm: " << args[i] << ": not a readable file\n";
      return kFrmFailed;
    }
    // The reader compares names ignoring case and keeps only one of equal names.
    if (!seen.insert(UpperCase(path.filename().string())).second) {
      err << "tazu-frm: " << args[i] << ": another file has the same entry name\n";
      return kFrmFailed;
    }
    files.push_back(args[i]);
  }
  if (files.empty()) return Usage(err);
  PackFilesToArchive(args[1], files, options);
  return kFrmOk;
}

void LoadArchive(TStreamArchive& archive, const std::string& fileName) {
  archive.LoadFromFile(fileName);
}

int List(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) return Usage(err);
  TStreamArchive archive;
  LoadArchive(archive, args[1]);
  for (int i = 0; i < archive.Count(); ++i) {
    out << archive.Names(i) << '\t' << archive.Streams(i).Bytes().size() << '\n';
  }
  return kFrmOk;
}

void SaveEntry(TStreamArchive& archive, const std::string& name, const std::string& outFile) {
  TMemoryStream data;
  archive.GetStream(name, data);
  data.SaveToFile(outFile);
}

int Extract(const std::vector<std::string>& args, std::ostream& err) {
  if (args.size() != 4) return Usage(err);
  TStreamArchive archive;
  LoadArchive(archive, args[1]);
  bool found = false;
  for (int i = 0; i < archive.Count() && !found; ++i) {
    found = AnsiCompareText(archive.Names(i), args[2]) == 0;  // as the archive itself matches
  }
  if (!found) {
    err << "tazu-frm: " << args[1] << ": no entry named " << args[2] << "\n";
    return kFrmFailed;
  }
  SaveEntry(archive, args[2], args[3]);
  return kFrmOk;
}

// An entry name becomes a file name only when it cannot leave the folder.
bool IsSafeFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

int ExtractAll(const std::vector<std::string>& args, std::ostream& err) {
  if (args.size() != 3) return Usage(err);
  TStreamArchive archive;
  LoadArchive(archive, args[1]);
  const fs::path dir(args[2]);
  fs::create_directories(dir);
  int result = kFrmOk;
  for (int i = 0; i < archive.Count(); ++i) {
    const std::string& name = archive.Names(i);
    if (!IsSafeFileName(name)) {
      err << "tazu-frm: " << args[1] << ": skipped entry with unsafe name \"" << name << "\"\n";
      result = kFrmFailed;
      continue;
    }
    SaveEntry(archive, name, (dir / name).string());
  }
  return result;
}

}  // namespace

int RunFrmTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return Usage(err);
  const std::string& command = args[0];
  const std::string archiveName = args.size() > 1 ? args[1] : "";
  try {
    if (command == "pack") return Pack(args, err);
    if (command == "list") return List(args, out, err);
    if (command == "extract") return Extract(args, err);
    if (command == "extract-all") return ExtractAll(args, err);
    return Usage(err);
  } catch (const ECorruptFile& e) {
    err << "tazu-frm: " << archiveName << ": damaged archive: " << e.Message() << "\n";
  } catch (const EReadError& e) {
    err << "tazu-frm: " << archiveName << ": damaged archive, an entry runs past the end ("
        << e.Message() << ")\n";
  } catch (const std::exception& e) {
    err << "tazu-frm: " << e.what() << "\n";
  }
  return kFrmFailed;
}

}  // namespace tazu
