// The volume that holds a destination, and whether its free space takes the installed files.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Writes the root of the volume that holds destinationDirectory (a sound destination after
// NormalizePath in directory form), as Windows asks for it: "C:\" for "C:/...",
// "\\server\share\" for "//server/share/...". Returns 0 and leaves out empty for any other text
// or when the root does not fit.
int FormatVolumeRoot(char* out, size_t size, const char* destinationDirectory);

// When freeBytes is less than neededBytes, writes "<volumeRoot> has <free> KiB free, <needed> KiB
// needed" into out and returns 1. The free figure is rounded down and the needed one up, so the
// two never read as enough. Otherwise returns 0 and leaves out empty.
int DescribeSpaceShortage(char* out, size_t size, const char* volumeRoot, uint64_t freeBytes,
                          uint64_t neededBytes);
