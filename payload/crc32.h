// CRC-32 (the polynomial of zip and PNG), used to check installed bytes against the build's record.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Continues crc (0 for a fresh start) over data[0..size).
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size);
