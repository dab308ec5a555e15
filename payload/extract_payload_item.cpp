#include "payload/extract_payload_item.h"

#include <stdio.h>
#include <sys/stat.h>

#include "base/installer_state.h"
#include "base/manifest.h"
#include "base/text_format.h"
#include "payload/crc32.h"
#include "payload/lzhuf_decoder.h"
#include "payload/memory_byte_source.h"
#include "payload/resource_bytes_win.h"

namespace {

const char kPayloadResourceType[] = "RAW";

// The item's bytes in place in the module, or null when the module has no usable item.
const uint8_t* FindPayloadItem(int itemId, int32_t* size) {
  size_t length = 0;
  const uint8_t* bytes = LoadResourceBytes(g_Installer.Instance, MAKEINTRESOURCEA(itemId),
                                           kPayloadResourceType, &length);
  if (!bytes || length > 0x7FFFFFFF) return nullptr;
  *size = static_cast<int32_t>(length);
  return bytes;
}

// Passes an item's installed bytes to file (when not null), adds them to crc and counts them
// into length: a stored item in one write, an LZHUF item decoded in pieces of 256 bytes. Returns
// 0 when the decoder could not be created or a write failed.
int PassItemBytes(const uint8_t* bytes, int32_t size, int compressed, FILE* file, uint32_t* crc,
                  uint64_t* length) {
  if (!compressed) {
    *crc = Crc32Update(*crc, bytes, static_cast<size_t>(size));
    *length += static_cast<uint64_t>(size);
    return !file || fwrite(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
  }
  MemoryByteSourceContext source = {bytes, 0, size};
  LzhufDecoder* decoder = LzhufDecoderCreate(MemoryByteSource, &source);
  if (!decoder) return 0;
  uint8_t piece[256];
  int written = 1;
  for (;;) {
    int32_t count = LzhufDecoderRead(decoder, piece, sizeof piece);
    if (count == 0) break;
    if (file && fwrite(piece, 1, static_cast<size_t>(count), file) != static_cast<size_t>(count)) {
      written = 0;
      break;
    }
    *crc = Crc32Update(*crc, piece, static_cast<size_t>(count));
    *length += static_cast<uint64_t>(count);
  }
  LzhufDecoderDestroy(decoder);
  return written;
}

// PassItemBytes for item itemId, then whether its bytes are exactly what the build recorded
// for it: a damaged executable (a bad download, a flipped bit) must not install damaged files.
// The item's installed length is added to length.
int PassCheckedItemBytes(int itemId, const uint8_t* bytes, int32_t size, int compressed, FILE* file,
                         uint64_t* length) {
  uint32_t crc = 0, expected = 0;
  size_t recordSize = 0;
  const uint8_t* record = LoadChecksumRecord(g_Installer.Instance, &recordSize);
  return PassItemBytes(bytes, size, compressed, file, &crc, length) &&
         FindRecordedChecksum(record, recordSize, itemId, &expected) && crc == expected;
}

}  // namespace

int32_t FileSizeOrZero(const char* path) {
  struct _stat status;
  if (_stat(path, &status) != 0) return 0;
  return static_cast<int32_t>(status.st_size);
}

void ExtractPayloadItem(HWND owner, int itemId, const char* directory, const char* relativeName,
                        int compressed, int askBeforeOverwrite) {
  if (g_Installer.AbortRequested) return;

  char fullPath[kPathBufferSize];
  // A cut path would name another file; it fails like any other write of this step.
  const int fits = FormatText(fullPath, sizeof fullPath, "%s%s", directory, relativeName);
  if (fits && askBeforeOverwrite && FileSizeOrZero(fullPath) > 0) {
    char question[kMessageTextSize];
    FormatText(question, sizeof question, "%s exists, Overwrite?", relativeName);
    if (MessageBoxA(owner, question, InstallerTitle(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
      g_Installer.AbortRequested = 1;
      return;
    }
  }

  FILE* file = fits ? fopen(fullPath, "wb+") : nullptr;
  int written = 0;
  if (file) {
    int32_t size = 0;
    const uint8_t* bytes = FindPayloadItem(itemId, &size);
    uint64_t length = 0;
    written = bytes && PassCheckedItemBytes(itemId, bytes, size, compressed, file, &length);
    // A full disk shows only when the buffered bytes are flushed; a file that did not reach the
    // disk whole must not pass for an installed one.
    if (written && (fflush(file) != 0 || ferror(file))) written = 0;
    if (fclose(file) != 0) written = 0;
    // A partial or damaged file goes; a missing item leaves its empty file as the record of the
    // failure.
    if (!written && bytes) remove(fullPath);
  }
  if (!written) ReportInstallError(owner, "Cannot Create File", relativeName);
}

int FindDamagedPayloadItem() {
  uint64_t total = 0;
  for (int row = 0; row < kPayloadItemCount; ++row) {
    const PayloadManifestRow& item = kInstallManifest[row];
    int32_t size = 0;
    const uint8_t* bytes = FindPayloadItem(item.ResourceId, &size);
    uint64_t length = 0;
    if (!bytes ||
        !PassCheckedItemBytes(item.ResourceId, bytes, size, item.Compressed, nullptr, &length))
      return row;
    // Each of the product's files is far below 4 GiB.
    g_Installer.InstalledFileBytes[row] = static_cast<uint32_t>(length);
    total += length;
  }
  g_Installer.InstalledBytes = total;
  return -1;
}
