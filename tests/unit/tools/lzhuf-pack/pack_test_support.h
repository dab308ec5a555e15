// Test support for the packer: decoding through the installer's decoder, and an exhaustive check
// of whether any parse of a small input gives an item that decodes to it, written with the
// packer's bit writer (codes from a shadow of the decoder's tree, offset codes from the decoder's
// tables).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <vector>

#include "payload/lzhuf_decoder.h"
#include "payload/memory_byte_source.h"
#include "tools/lzhuf-pack/bit_writer.h"

using Bytes = std::vector<uint8_t>;

// The installer's way: a MemoryByteSource over the item, read in pieces of 256 bytes.
inline Bytes DecodeItem(const Bytes& item) {
  MemoryByteSourceContext source = {item.data(), 0, static_cast<int32_t>(item.size())};
  std::unique_ptr<LzhufDecoder, void (*)(LzhufDecoder*)> decoder(
      LzhufDecoderCreate(MemoryByteSource, &source), LzhufDecoderDestroy);
  Bytes out;
  uint8_t piece[256];
  for (int32_t n; (n = LzhufDecoderRead(decoder.get(), piece, 256)) > 0;) {
    out.insert(out.end(), piece, piece + n);
  }
  return out;
}

// One parse step: a literal (Length 1) or a match of Length bytes at Distance 1..4096.
struct Step {
  int Length;
  int Distance;
};

inline Bytes WriteParse(const Bytes& data, const std::vector<Step>& steps) {
  std::unique_ptr<LzhufDecoder> tree(new LzhufDecoder);
  LzhufDecoderInit(tree.get(), nullptr, nullptr);
  Bytes item;
  lzhuf_pack::BitWriter writer(&item);
  size_t pos = 0;
  for (const Step& step : steps) {
    int symbol = step.Length == 1 ? data[pos] : LzhufMatchSymbol(step.Length);
    std::vector<int> path;
    for (int p = tree->Parent[kLzhufTreeSize + symbol]; p != kLzhufRoot; p = tree->Parent[p]) {
      path.push_back(p & 1);
    }
    for (auto bit = path.rbegin(); bit != path.rend(); ++bit)
      writer.PutBits(static_cast<uint32_t>(*bit), 1);
    LzhufUpdateTree(tree.get(), symbol);
    if (step.Length > 1) {
      int offset = step.Distance - 1;
      int first = 0;
      while (LzhufHighCode[first] != offset >> 6) ++first;
      int length = LzhufCodeLength[first];
      writer.PutBits(static_cast<uint32_t>(first >> (8 - length)), length);
      writer.PutBits(static_cast<uint32_t>(offset & 63), 6);
    }
    pos += static_cast<size_t>(step.Length);
  }
  writer.Finish();
  return item;
}

enum class Verdict { Exists, None, TooMany };

// Tries every parse of data (a literal or every match length at each position; one distance per
// length of offset field, as all distances of equal field length cost the same bits), up to
// maxParses parses, and reports whether one of them yields an item that decodes to data.
class ParseEnumerator {
 public:
  ParseEnumerator(const Bytes& data, long maxParses) : data_(data), left_(maxParses) {
    window_.assign(60, 0);
    window_.resize(4096, ' ');
    window_.insert(window_.end(), data.begin(), data.end());
  }

  Verdict Run() {
    bool found = Try(0);
    if (found) return Verdict::Exists;
    return left_ < 0 ? Verdict::TooMany : Verdict::None;
  }

 private:
  bool Matches(size_t i, int length, int distance) const {
    for (int k = 0; k < length; ++k) {
      size_t at = 4096 + i + static_cast<size_t>(k);
      if (window_[at] != window_[at - static_cast<size_t>(distance)]) return false;
    }
    return true;
  }

  bool Try(size_t i) {
    if (left_ < 0) return false;
    if (i == data_.size()) {
      --left_;
      return DecodeItem(WriteParse(data_, steps_)) == data_;
    }
    steps_.push_back(Step{1, 0});
    if (Try(i + 1)) return true;
    steps_.pop_back();
    static const int kClassEnds[] = {64, 256, 768, 1536, 3072, 4096};
    int longest = static_cast<int>(data_.size() - i) < 60 ? static_cast<int>(data_.size() - i) : 60;
    for (int length = 3; length <= longest; ++length) {
      int distance = 1;
      for (int end : kClassEnds) {
        for (; distance <= end; ++distance) {
          if (Matches(i, length, distance)) {
            steps_.push_back(Step{length, distance});
            if (Try(i + static_cast<size_t>(length))) return true;
            steps_.pop_back();
            break;
          }
        }
        distance = end + 1;
      }
    }
    return false;
  }

  const Bytes& data_;
  Bytes window_;
  std::vector<Step> steps_;
  long left_;
};
