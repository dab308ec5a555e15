// The build's checksum record carried as a resource of a program (type "PAYLOADCRC", id 1): for
// each payload item its resource id and the CRC-32 of the bytes it installs (FindRecordedChecksum).
#pragma once

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

// The record of module (null: the program itself), in place, or null when it has none.
const uint8_t* LoadChecksumRecord(HMODULE module, size_t* size);
