// The volume that holds a destination, the room the installed files take on it, and whether its
// free space takes them.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Writes the root of the volume that holds destinationDirectory (a sound destination after
// NormalizePath in directory form), as Windows asks for it: "C:\" for "C:/...",
// "\\server\share\" for "//server/share/...". Returns 0 and leaves out empty for any other text
// or when the root does not fit.
int FormatVolumeRoot(char* out, size_t size, const char* destinationDirectory);

// The bytes that installing fileCount files of fileBytes[i] bytes takes from a volume whose
// allocation unit is unitBytes, where a file of that name already holds replacedBytes[i] bytes
// (0: none; a larger file counts as 4 GiB) and newFolders folders are made first. Every file and
// folder takes whole units. Files are written in their order and each replaced one is emptied as it
// is opened, so the need is the highest that the volume's use climbs to on the way (0 when it never
// grows). A unit of 0 counts bytes.
uint64_t RoomNeeded(const uint32_t* fileBytes, const uint32_t* replacedBytes, int fileCount,
                    int newFolders, uint32_t unitBytes);

// When freeBytes is less than neededBytes, writes "<volumeRoot> has <free> KiB free, <needed> KiB
// needed" into out and returns 1. The free figure is rounded down and the needed one up, so the
// two never read as enough. Otherwise returns 0 and leaves out empty.
int DescribeSpaceShortage(char* out, size_t size, const char* volumeRoot, uint64_t freeBytes,
                          uint64_t neededBytes);
