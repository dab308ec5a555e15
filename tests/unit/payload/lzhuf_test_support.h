// Test support for the LZHUF decoder: an item writer and a byte source that counts its calls.
//
// LzhufItemWriter builds items bit by bit. Symbol codes come from a shadow of the decoder's
// adaptive tree (the leaf-to-root path read through Parent), which is updated with the decoder's
// own LzhufUpdateTree after each symbol, as the decoder does.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <utility>
#include <vector>

#include "payload/lzhuf_decoder.h"
#include "tests/support/counted_byte_source.h"

class LzhufItemWriter {
 public:
  LzhufItemWriter() : tree_(new LzhufDecoder), ring_(kLzhufRingSize, 0) {
    LzhufDecoderInit(tree_.get(), nullptr, nullptr);
    for (int i = 0; i < kLzhufInitialWritePos; ++i) ring_[static_cast<size_t>(i)] = 0x20;
  }

  // The code of symbol s in tree, first bit first.
  static std::vector<int> CodeOf(const LzhufDecoder& tree, int s) {
    std::vector<int> reversed;
    for (int p = tree.Parent[kLzhufTreeSize + s]; p != kLzhufRoot; p = tree.Parent[p]) {
      reversed.push_back(p & 1);
    }
    return std::vector<int>(reversed.rbegin(), reversed.rend());
  }

  void Bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bits_.push_back(static_cast<int>((value >> i) & 1));
  }

  void Symbol(int s) {
    for (int bit : CodeOf(*tree_, s)) bits_.push_back(bit);
    LzhufUpdateTree(tree_.get(), s);
  }

  void Literal(uint8_t c) {
    Symbol(c);
    symbol_ends_.push_back(bits_.size() - 1);
    Put(c);
  }

  // A match of length 3..60 at offset 0..4095 (0 = the byte written last).
  void Match(int length, int offset) {
    Symbol(LzhufMatchSymbol(length));
    int upper = offset >> 6;
    int first = 0;
    while (LzhufHighCode[first] != upper) ++first;
    int codeLength = LzhufCodeLength[first];
    Bits(static_cast<uint32_t>(first >> (8 - codeLength)), codeLength);
    Bits(static_cast<uint32_t>(offset & 63), 6);
    symbol_ends_.push_back(bits_.size() - 1);
    size_t from = static_cast<size_t>(writePos_ - offset - 1) & (kLzhufRingSize - 1);
    for (int i = 0; i < length; ++i)
      Put(ring_[(from + static_cast<size_t>(i)) & (kLzhufRingSize - 1)]);
  }

  // The item: the bits written so far, zero-padded to whole bytes.
  std::vector<uint8_t> Finish() const {
    std::vector<uint8_t> item((bits_.size() + 7) / 8, 0);
    for (size_t i = 0; i < bits_.size(); ++i) {
      if (bits_[i]) item[i / 8] = static_cast<uint8_t>(item[i / 8] | (0x80 >> (i % 8)));
    }
    return item;
  }

  size_t BitCount() const { return bits_.size(); }
  // Index of the last bit of each literal or match (with its offset field), in order.
  const std::vector<size_t>& SymbolEnds() const { return symbol_ends_; }
  const LzhufDecoder& Tree() const { return *tree_; }
  // The bytes that the literals and matches written so far stand for.
  const std::vector<uint8_t>& Expected() const { return expected_; }

 private:
  void Put(uint8_t c) {
    expected_.push_back(c);
    ring_[static_cast<size_t>(writePos_)] = c;
    writePos_ = (writePos_ + 1) & (kLzhufRingSize - 1);
  }

  std::unique_ptr<LzhufDecoder> tree_;
  std::vector<int> bits_;
  std::vector<size_t> symbol_ends_;
  std::vector<uint8_t> ring_;
  int writePos_ = kLzhufInitialWritePos;
  std::vector<uint8_t> expected_;
};

// A counted byte source over its own copy of the item.
struct CountingSource : CountedByteSource {
  explicit CountingSource(std::vector<uint8_t> bytes)
      : CountedByteSource(), Bytes(std::move(bytes)) {
    Memory = {Bytes.data(), 0, static_cast<int32_t>(Bytes.size())};
  }
  static int Next(void* context) {
    return CountedByteSourceNext(
        static_cast<CountedByteSource*>(static_cast<CountingSource*>(context)));
  }
  std::vector<uint8_t> Bytes;
};

// Everything a caller can observe of one decoding: the bytes, each read's result and the number
// of source calls made by the end of each read.
struct DecodeTrace {
  std::vector<uint8_t> Bytes;
  std::vector<int32_t> Counts;
  std::vector<int> CallsAfterRead;
  bool operator==(const DecodeTrace& other) const {
    return Bytes == other.Bytes && Counts == other.Counts && CallsAfterRead == other.CallsAfterRead;
  }
};

// Reads with the given capacity until a read returns 0, then reads once more (which must also
// return 0 without calling the source). Works with any decoder record that has the read contract.
template <typename Decoder>
DecodeTrace TraceDecoding(void (*init)(Decoder*, ByteSource, void*),
                          int32_t (*read)(Decoder*, uint8_t*, int32_t),
                          const std::vector<uint8_t>& item, int32_t capacity) {
  CountingSource source(item);
  std::unique_ptr<Decoder> decoder(new Decoder);
  init(decoder.get(), CountingSource::Next, &source);
  std::vector<uint8_t> buffer(static_cast<size_t>(capacity));
  DecodeTrace trace;
  for (int extra = 0; extra < 2;) {
    int32_t n = read(decoder.get(), buffer.data(), capacity);
    trace.Counts.push_back(n);
    trace.CallsAfterRead.push_back(source.Calls);
    if (n < 0 || n > capacity) break;
    trace.Bytes.insert(trace.Bytes.end(), buffer.begin(), buffer.begin() + n);
    if (n == 0) ++extra;
  }
  return trace;
}

inline DecodeTrace TraceLzhuf(const std::vector<uint8_t>& item, int32_t capacity) {
  return TraceDecoding<LzhufDecoder>(LzhufDecoderInit, LzhufDecoderRead, item, capacity);
}
