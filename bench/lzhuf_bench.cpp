// LZHUF benchmarks over the files named on the command line: the installer's decoder against the
// reference decoder (pieces of 256 bytes through MemoryByteSource, as the installer reads), and the
// packer's two parses. Before measuring, every file is packed with the default parse and decoded
// by both decoders, which must give back the file with the same calls of the byte source; the
// program exits with status 1 otherwise. The decode benchmarks report the item's symbols.
//
// With --decode-once, the program decodes one item file once with the named decoder, inside
// DecodeOnce only, so that an instruction count limited to that function (callgrind's
// --toggle-collect) measures the decoder and its byte source alone.
//
//   pagix_lzhuf_bench [benchmark flags] FILE...
//   pagix_lzhuf_bench --decode-once=installer|reference ITEM
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include "payload/lzhuf_decoder.h"
#include "tests/support/counted_byte_source.h"
#include "tests/support/reference_decoder.h"
#include "tools/lzhuf-pack/lzhuf_encoder.h"

namespace {

const int32_t kPiece = 256;

struct CorpusFile {
  std::string Label;
  std::vector<uint8_t> Data;
  std::vector<uint8_t> Item;  // packed with the default parse
  long Symbols = 0;           // literals and matches in the item
};

template <typename Decoder>
std::vector<uint8_t> DecodeCounted(void (*init)(Decoder*, ByteSource, void*),
                                   int32_t (*read)(Decoder*, uint8_t*, int32_t),
                                   const std::vector<uint8_t>& item, long* calls) {
  CountedByteSource source = {{item.data(), 0, static_cast<int32_t>(item.size())}, 0, 0};
  std::unique_ptr<Decoder> decoder(new Decoder);
  init(decoder.get(), CountedByteSourceNext, &source);
  std::vector<uint8_t> out;
  uint8_t piece[kPiece];
  for (int32_t n; (n = read(decoder.get(), piece, kPiece)) > 0;)
    out.insert(out.end(), piece, piece + n);
  *calls = source.Calls;
  return out;
}

template <typename Decoder>
void DecodeBenchmark(benchmark::State& state, void (*init)(Decoder*, ByteSource, void*),
                     int32_t (*read)(Decoder*, uint8_t*, int32_t), const CorpusFile* file) {
  std::unique_ptr<Decoder> decoder(new Decoder);
  uint8_t piece[kPiece];
  for (auto _ : state) {
    MemoryByteSourceContext source = {file->Item.data(), 0,
                                      static_cast<int32_t>(file->Item.size())};
    init(decoder.get(), MemoryByteSource, &source);
    int64_t total = 0;
    for (int32_t n; (n = read(decoder.get(), piece, kPiece)) > 0;) {
      benchmark::DoNotOptimize(piece);
      total += n;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file->Data.size()));
  state.counters["symbols"] = static_cast<double>(file->Symbols);
}

void PackBenchmark(benchmark::State& state, LzhufParse parse, const CorpusFile* file) {
  std::vector<uint8_t> item;
  for (auto _ : state) {
    if (!LzhufEncode(file->Data.data(), file->Data.size(), parse, &item)) {
      state.SkipWithError("the packer refused the file");
      return;
    }
    benchmark::DoNotOptimize(item.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file->Data.size()));
  state.counters["item_bytes"] = static_cast<double>(item.size());
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* data) {
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  uint8_t buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) {
    data->insert(data->end(), buffer, buffer + n);
  }
  bool ok = !ferror(f);
  fclose(f);
  return ok;
}

// Packs the file and checks that both decoders restore it alike.
bool Prepare(const char* path, CorpusFile* file) {
  std::string label = path;
  file->Label = label.substr(label.find_last_of('/') + 1);
  if (!ReadWholeFile(path, &file->Data) || file->Data.empty()) {
    fprintf(stderr, "lzhuf_bench: cannot read %s (or it is empty)\n", path);
    return false;
  }
  LzhufEncodeStats stats;
  if (!LzhufEncode(file->Data.data(), file->Data.size(), LzhufParse::Default, &file->Item,
                   &stats)) {
    fprintf(stderr, "lzhuf_bench: the packer refused %s\n", path);
    return false;
  }
  long realCalls = 0, referenceCalls = 0;
  std::vector<uint8_t> real =
      DecodeCounted<LzhufDecoder>(LzhufDecoderInit, LzhufDecoderRead, file->Item, &realCalls);
  std::vector<uint8_t> reference = DecodeCounted<ReferenceDecoder>(
      ReferenceDecoderInit, ReferenceDecoderRead, file->Item, &referenceCalls);
  if (real != reference || realCalls != referenceCalls) {
    fprintf(stderr, "lzhuf_bench: %s: the decoders disagree (%zu/%zu bytes, %ld/%ld calls)\n", path,
            real.size(), reference.size(), realCalls, referenceCalls);
    return false;
  }
  if (real != file->Data) {
    fprintf(stderr, "lzhuf_bench: %s: the item does not decode to the file\n", path);
    return false;
  }
  file->Symbols = stats.Literals + stats.Matches;
  return true;
}

// The whole decoding of an item: initialisation, every read and every call of the byte source.
template <typename Decoder>
__attribute__((noinline)) int64_t DecodeOnce(Decoder* decoder,
                                             void (*init)(Decoder*, ByteSource, void*),
                                             int32_t (*read)(Decoder*, uint8_t*, int32_t),
                                             const std::vector<uint8_t>& item) {
  MemoryByteSourceContext source = {item.data(), 0, static_cast<int32_t>(item.size())};
  init(decoder, MemoryByteSource, &source);
  uint8_t piece[kPiece];
  int64_t total = 0;
  for (int32_t n; (n = read(decoder, piece, kPiece)) > 0;) {
    benchmark::DoNotOptimize(piece);
    total += n;
  }
  return total;
}

int DecodeOnceMain(const std::string& which, const char* path) {
  std::vector<uint8_t> item;
  if (!ReadWholeFile(path, &item) || item.empty()) {
    fprintf(stderr, "lzhuf_bench: cannot read %s (or it is empty)\n", path);
    return 1;
  }
  int64_t total;
  if (which == "installer") {
    std::unique_ptr<LzhufDecoder> decoder(new LzhufDecoder);
    total = DecodeOnce<LzhufDecoder>(decoder.get(), LzhufDecoderInit, LzhufDecoderRead, item);
  } else if (which == "reference") {
    std::unique_ptr<ReferenceDecoder> decoder(new ReferenceDecoder);
    total = DecodeOnce<ReferenceDecoder>(decoder.get(), ReferenceDecoderInit, ReferenceDecoderRead,
                                         item);
  } else {
    fprintf(stderr, "lzhuf_bench: unknown decoder %s\n", which.c_str());
    return 2;
  }
  printf("%lld bytes\n", static_cast<long long>(total));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kDecodeOnce = "--decode-once=";
  if (argc == 3 && std::string(argv[1]).compare(0, kDecodeOnce.size(), kDecodeOnce) == 0) {
    return DecodeOnceMain(std::string(argv[1]).substr(kDecodeOnce.size()), argv[2]);
  }
  benchmark::Initialize(&argc, argv);
  if (argc < 2) {
    fprintf(stderr,
            "usage: pagix_lzhuf_bench [benchmark flags] FILE...\n"
            "       pagix_lzhuf_bench --decode-once=installer|reference ITEM\n");
    return 2;
  }
  std::vector<std::unique_ptr<CorpusFile>> files;
  for (int i = 1; i < argc; ++i) {
    files.emplace_back(new CorpusFile);
    if (!Prepare(argv[i], files.back().get())) return 1;
  }
  for (const auto& owned : files) {
    const CorpusFile* file = owned.get();
    benchmark::RegisterBenchmark(("decode_real/" + file->Label).c_str(),
                                 DecodeBenchmark<LzhufDecoder>, LzhufDecoderInit, LzhufDecoderRead,
                                 file);
    benchmark::RegisterBenchmark(("decode_reference/" + file->Label).c_str(),
                                 DecodeBenchmark<ReferenceDecoder>, ReferenceDecoderInit,
                                 ReferenceDecoderRead, file);
    benchmark::RegisterBenchmark(("pack_default/" + file->Label).c_str(), PackBenchmark,
                                 LzhufParse::Default, file);
    benchmark::RegisterBenchmark(("pack_greedy/" + file->Label).c_str(), PackBenchmark,
                                 LzhufParse::Greedy, file);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
