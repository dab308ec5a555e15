// Input: two bytes that choose the read capacity (1..4096), then the item. The item is decoded to
// its end by the installer's decoder and by the reference decoder; both must agree read by read,
// keep the read contract and end within the bounds that the source's exhaustion sets.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "payload/lzhuf_decoder.h"
#include "tests/support/counted_byte_source.h"
#include "tests/support/reference_decoder.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

LzhufDecoder g_Real;
ReferenceDecoder g_Reference;
uint8_t g_RealOut[4096];
uint8_t g_ReferenceOut[4096];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Items up to 2 KiB keep each run short; long streams are the unit tests' part.
  if (size < 2 || size > 2 + 2048) return 0;
  const int32_t capacity = 1 + ((data[0] | data[1] << 8) % 4096);
  const int32_t itemSize = static_cast<int32_t>(size - 2);
  CountedByteSource real = {{data + 2, 0, itemSize}, 0, 0};
  CountedByteSource reference = {{data + 2, 0, itemSize}, 0, 0};
  LzhufDecoderInit(&g_Real, CountedByteSourceNext, &real);
  ReferenceDecoderInit(&g_Reference, CountedByteSourceNext, &reference);

  // Every symbol takes at least one bit and yields at most 60 bytes; the source is read at most
  // two bytes past the item's end.
  const int64_t outputBound = 60 * 8 * (static_cast<int64_t>(itemSize) + 2);
  int64_t total = 0;
  int64_t afterEnd = -1;  // bytes delivered by reads that started after the source ended
  bool shortRead = false;
  for (;;) {
    const bool endedBefore = g_Real.SourceEnded != 0;
    const int32_t n = LzhufDecoderRead(&g_Real, g_RealOut, capacity);
    const int32_t m = ReferenceDecoderRead(&g_Reference, g_ReferenceOut, capacity);
    Check(n == m && real.Calls == reference.Calls);
    Check(memcmp(g_RealOut, g_ReferenceOut, static_cast<size_t>(n)) == 0);
    if (n == 0) break;
    Check(!shortRead);  // a short read is the last one with output
    Check(n >= 1 && n <= capacity);
    shortRead = n < capacity;
    if (shortRead) Check(g_Real.SourceEnded != 0);
    total += n;
    Check(total <= outputBound);
    if (endedBefore) {
      afterEnd += n;
      Check(afterEnd < kLzhufMaxMatch);
    } else if (g_Real.SourceEnded) {
      afterEnd = 0;
    }
  }
  Check(g_Real.SourceEnded != 0);
  // The final symbol starts by the item's last byte. With a root weight of at most 0x8000 a code
  // is at most 21 bits long, so with its offset field it ends within 35 bits of there; with the
  // refill's read-ahead the source is called at most 6 times beyond the item.
  Check(real.Calls <= itemSize + 6);
  // Finished for good: no more output, no more source calls.
  const int calls = real.Calls;
  Check(LzhufDecoderRead(&g_Real, g_RealOut, capacity) == 0);
  Check(LzhufDecoderRead(&g_Real, g_RealOut, 1) == 0);
  Check(real.Calls == calls);
  return 0;
}
