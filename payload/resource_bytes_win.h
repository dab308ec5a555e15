// A resource of a program, in place: the payload items and the build's checksum record (type
// "PAYLOADCRC", id 1: for each payload item its resource id and the CRC-32 of the bytes it
// installs, see FindRecordedChecksum), which the installer and the uninstaller both carry.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

// The bytes of resource name of type in module (null: the program itself), found, sized, loaded
// and locked in this order; null when it is missing, empty or cannot be loaded.
const uint8_t* LoadResourceBytes(HMODULE module, const char* name, const char* type, size_t* size);

inline const uint8_t* LoadChecksumRecord(HMODULE module, size_t* size) {
  return LoadResourceBytes(module, MAKEINTRESOURCEA(1), "PAYLOADCRC", size);
}
