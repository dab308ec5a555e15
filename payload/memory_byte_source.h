// A ByteSource over bytes in memory, such as a payload item used in place.
#pragma once

#include <stdint.h>

struct MemoryByteSourceContext {
  const uint8_t* Data;
  int32_t Position;
  int32_t Size;
};

// Returns Data[Position++] as 0..255, or -1 once Position has reached Size (on every later call).
int MemoryByteSource(void* context);
