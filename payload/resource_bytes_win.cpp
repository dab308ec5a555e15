#include "payload/resource_bytes_win.h"

const uint8_t* LoadResourceBytes(HMODULE module, const char* name, const char* type, size_t* size) {
  *size = 0;
  HRSRC resource = FindResourceA(module, name, type);
  if (!resource) return nullptr;
  const DWORD length = SizeofResource(module, resource);
  HGLOBAL loaded = length ? LoadResource(module, resource) : nullptr;
  const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (bytes) *size = length;
  return bytes;
}
