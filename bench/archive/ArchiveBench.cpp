// Side-by-side expansion speed of the same lh5 streams by DecompressStream and by
// liblhasa's lh5 decoder, with the ratio printed at the end; also our
// compressor's output size against jlha's on the same data.
#include <benchmark/benchmark.h>

#include "bench/common/RatioReporter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/Lh5Encoder.h"
#include "archive/StreamArchiveWriter.h"
#include "archive/StreamRoutines.h"
#include "tests/archive/LhaContainer.h"
#include "tests/archive/SampleData.h"

extern "C" {
#include <lha_decoder.h>
}

namespace {

using tazu::TMemoryStream;

constexpr int kFrames = 126;
constexpr size_t kFrameBytes = 24 * 1024;
constexpr size_t kMixedBytes = size_t{4} << 20;

struct Sample {
  std::vector<uint8_t> original;
  std::vector<uint8_t> stream;  // raw lh5 bits
};

std::vector<uint8_t> FrameLibraryImage() {
  std::vector<tazu::TArchiveEntry> entries;
  for (int i = 1; i <= kFrames; ++i) {
    entries.push_back({"frame" + std::to_string(i), tazu::test::JpegLikeFrame(kFrameBytes, i)});
  }
  return tazu::BuildArchiveImage(entries);
}

const std::map<std::string, Sample>& Samples() {
  static const std::map<std::string, Sample> samples = [] {
    std::map<std::string, Sample> s;
    for (auto& [name, data] : std::map<std::string, std::vector<uint8_t>>{
             {"frames", FrameLibraryImage()}, {"mixed", tazu::test::MixedBytes(kMixedBytes, 99)}}) {
      s[name] = {data, tazu::EncodeLh5(data)};
    }
    return s;
  }();
  return samples;
}

// Our decoder, from the payload (size field + bits) in memory to memory.
void ExpandOurs(benchmark::State& state, const std::string& name) {
  const Sample& sample = Samples().at(name);
  TMemoryStream payload;
  const auto size = static_cast<uint32_t>(sample.original.size());
  payload.WriteBuffer(&size, 4);  // little-endian host
  payload.WriteBuffer(sample.stream.data(), static_cast<int64_t>(sample.stream.size()));
  for (auto _ : state) {
    payload.SetPosition(0);
    TMemoryStream out;
    tazu::DecompressStream(payload, out);
    benchmark::DoNotOptimize(out.Memory());
    if (out.Size() != static_cast<int64_t>(sample.original.size())) state.SkipWithError("bad size");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sample.original.size()));
}

struct LhasaSource {
  const std::vector<uint8_t>* data;
  size_t at;
};

size_t LhasaRead(void* buffer, size_t length, void* user) {
  auto* source = static_cast<LhasaSource*>(user);
  const size_t n = std::min(length, source->data->size() - source->at);
  std::copy_n(source->data->data() + source->at, n, static_cast<uint8_t*>(buffer));
  source->at += n;
  return n;
}

void ExpandLhasa(benchmark::State& state, const std::string& name) {
  const Sample& sample = Samples().at(name);
  char method[] = "-lh5-";
  LHADecoderType* type = lha_decoder_for_name(method);
  std::vector<uint8_t> out(sample.original.size());
  for (auto _ : state) {
    LhasaSource source{&sample.stream, 0};
    LHADecoder* decoder = lha_decoder_new(type, LhasaRead, &source, sample.original.size());
    size_t done = 0;
    while (done < out.size()) {
      const size_t n = lha_decoder_read(decoder, out.data() + done, out.size() - done);
      if (n == 0) break;
      done += n;
    }
    lha_decoder_free(decoder);
    benchmark::DoNotOptimize(out.data());
    if (done != out.size()) state.SkipWithError("lhasa stopped early");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sample.original.size()));
}

// Remembers each run's real time per iteration for the ratio table.
using tazu::bench::RatioReporter;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// jlha's packed size for the data, or 0 when jlha is missing or stores it.
size_t JlhaPackedSize(const std::vector<uint8_t>& data) {
  if (std::system("command -v jlha >/dev/null 2>&1") != 0) return 0;
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tazu-bench-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "data.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  const std::string command =
      "cd '" + dir.string() + "' && jlha ao5q out.lzh data.bin >/dev/null 2>&1";
  size_t packed = 0;
  if (std::system(command.c_str()) == 0) {
    const auto members = tazu::test::ReadLhaMembers(ReadBytes((dir / "out.lzh").string()));
    if (members.size() == 1 && members[0].method == "-lh5-") packed = members[0].packed.size();
  }
  std::filesystem::remove_all(dir);
  return packed;
}

void PrintSummary(const RatioReporter& reporter) {
  std::printf("\nExpansion time, liblhasa / DecompressStream (above 1 means ours is faster):\n");
  for (const auto& [name, sample] : Samples()) {
    const auto ours = reporter.seconds.find("ExpandOurs/" + name);
    const auto theirs = reporter.seconds.find("ExpandLhasa/" + name);
    if (ours == reporter.seconds.end() || theirs == reporter.seconds.end()) continue;
    std::printf("  %-8s %6.2f MB  ratio %.2f\n", name.c_str(), sample.original.size() / 1e6,
                theirs->second / ours->second);
  }
  std::printf("\nCompressed size, ours against jlha (-lh5-):\n");
  for (const auto& [name, sample] : Samples()) {
    const size_t jlha = JlhaPackedSize(sample.original);
    std::printf("  %-8s original %9zu  ours %9zu", name.c_str(), sample.original.size(),
                sample.stream.size());
    if (jlha > 0) {
      std::printf("  jlha %9zu  ours/jlha %.4f\n", jlha,
                  static_cast<double>(sample.stream.size()) / jlha);
    } else {
      std::printf("  jlha unavailable\n");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const char* name : {"frames", "mixed"}) {
    benchmark::RegisterBenchmark((std::string("ExpandOurs/") + name).c_str(),
                                 [name](benchmark::State& s) { ExpandOurs(s, name); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("ExpandLhasa/") + name).c_str(),
                                 [name](benchmark::State& s) { ExpandLhasa(s, name); })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary(reporter);
  benchmark::Shutdown();
  return 0;
}
