#include "payload/extract_payload_item.h"

#include <stdio.h>
#include <sys/stat.h>

#include "app/installer_state.h"
#include "app/text_format.h"
#include "payload/lzhuf_decoder.h"
#include "payload/memory_byte_source.h"

namespace {

const char kPayloadResourceType[] = "RAW";

// The item's bytes in place in the module, or null when the module has no usable item.
const uint8_t* FindPayloadItem(int itemId, int32_t* size) {
  HRSRC resource =
      FindResourceA(g_Installer.Instance, MAKEINTRESOURCEA(itemId), kPayloadResourceType);
  if (!resource) return nullptr;
  DWORD resourceSize = SizeofResource(g_Installer.Instance, resource);
  if (resourceSize < 1 || resourceSize > 0x7FFFFFFF) return nullptr;
  HGLOBAL loaded = LoadResource(g_Installer.Instance, resource);
  if (!loaded) return nullptr;
  const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(loaded));
  *size = static_cast<int32_t>(resourceSize);
  return bytes;
}

// Decodes an LZHUF item into file in pieces of 256 bytes. Returns 0 when the decoder could not
// be created or a write failed.
int WriteDecodedItem(FILE* file, const uint8_t* bytes, int32_t size) {
  MemoryByteSourceContext source = {bytes, 0, size};
  LzhufDecoder* decoder = LzhufDecoderCreate(MemoryByteSource, &source);
  if (!decoder) return 0;
  uint8_t piece[256];
  int written = 1;
  for (;;) {
    int32_t count = LzhufDecoderRead(decoder, piece, sizeof piece);
    if (count == 0) break;
    if (fwrite(piece, 1, static_cast<size_t>(count), file) != static_cast<size_t>(count)) {
      written = 0;
      break;
    }
  }
  LzhufDecoderDestroy(decoder);
  return written;
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

  char fullPath[MAX_PATH];
  if (!FormatText(fullPath, sizeof fullPath, "%s%s", directory, relativeName)) {
    // A cut path would name another file; refuse it like any other failure of this step.
    ReportInstallError(owner, "Cannot Create File", relativeName);
    return;
  }

  if (askBeforeOverwrite && FileSizeOrZero(fullPath) > 0) {
    char question[1024];
    FormatText(question, sizeof question, "%s exists, Overwrite?", relativeName);
    if (MessageBoxA(owner, question, InstallerTitle(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
      g_Installer.AbortRequested = 1;
      return;
    }
  }

  FILE* file = fopen(fullPath, "wb+");
  if (!file) {
    ReportInstallError(owner, "Cannot Create File", relativeName);
    return;
  }

  int32_t size = 0;
  const uint8_t* bytes = FindPayloadItem(itemId, &size);
  int written = 0;
  if (bytes) {
    if (compressed) {
      written = WriteDecodedItem(file, bytes, size);
    } else {
      written = fwrite(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
    }
  }
  // A full disk shows only when the buffered bytes are flushed; a file that did not reach the
  // disk whole must not pass for an installed one.
  if (written && (fflush(file) != 0 || ferror(file))) written = 0;
  if (fclose(file) != 0) written = 0;
  if (!written) ReportInstallError(owner, "Cannot Create File", relativeName);
}
