// CRC-32 (the polynomial of zip and PNG), used to check installed bytes against the build's record.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Continues crc (0 for a fresh start) over data[0..size).
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size);

// A checksum record is a row of entries, each a pair of little-endian 32-bit numbers: the
// resource id and the CRC-32 of the item's installed bytes.
enum { kChecksumEntrySize = 8 };
static_assert(kChecksumEntrySize == 2 * sizeof(uint32_t), "an entry is two 32-bit numbers");

// Looks itemId up in a checksum record as the build writes it. Returns 1 and sets *crc when the
// record has an entry for itemId, 0 otherwise (also for a null record).
int FindRecordedChecksum(const uint8_t* record, size_t size, int itemId, uint32_t* crc);
