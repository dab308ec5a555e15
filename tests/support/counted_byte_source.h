// A ByteSource over bytes in memory that counts its calls and its negative results, so that two
// decoders can be held to the same use of their source.
#pragma once

#include "payload/memory_byte_source.h"

struct CountedByteSource {
  MemoryByteSourceContext Memory;
  int Calls;
  int Negatives;
};

inline int CountedByteSourceNext(void* context) {
  CountedByteSource* source = static_cast<CountedByteSource*>(context);
  ++source->Calls;
  const int value = MemoryByteSource(&source->Memory);
  if (value < 0) ++source->Negatives;
  return value;
}
