#include "payload/checksum_record_win.h"

const uint8_t* LoadChecksumRecord(HMODULE module, size_t* size) {
  *size = 0;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), "PAYLOADCRC");
  if (!resource) return nullptr;
  HGLOBAL loaded = LoadResource(module, resource);
  const uint8_t* record = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (record) *size = SizeofResource(module, resource);
  return record;
}
