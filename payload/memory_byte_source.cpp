#include "payload/memory_byte_source.h"

int MemoryByteSource(void* context) {
  MemoryByteSourceContext* source = static_cast<MemoryByteSourceContext*>(context);
  if (source->Position >= source->Size) return -1;
  return source->Data[source->Position++];
}
