// Writes one payload item (a "RAW" resource of the installer) to a file below the destination.
#pragma once

#include <windows.h>

#include <stdint.h>

// Creates directory + relativeName and fills it with item itemId, decoding it when compressed is
// nonzero. With askBeforeOverwrite set, a non-empty existing file is replaced only after the user
// confirms. An install step: does nothing once AbortRequested is set; a failure shows
// "Cannot Create File : relativeName" and sets AbortRequested; a refusal sets it silently.
void ExtractPayloadItem(HWND owner, int itemId, const char* directory, const char* relativeName,
                        int compressed, int askBeforeOverwrite);

// Size of the file at path as _stat reports it, or 0 when it cannot be examined.
int32_t FileSizeOrZero(const char* path);

// Decodes every item of the install manifest and compares its bytes with the build's record.
// Returns the manifest row of the first item that is missing or differs, or -1 when the whole
// payload is intact; then InstalledFileBytes holds each installed file's size (the decoded one)
// and InstalledBytes their total.
int FindDamagedPayloadItem();
