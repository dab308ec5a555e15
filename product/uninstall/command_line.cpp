#include "product/uninstall/command_line.h"

#include <string.h>

#include "base/path_scan.h"
#include "base/text_characters.h"
#include "base/text_format.h"

namespace {

const char kCopySwitch[] = "/copy";
const char kCopyPrefix[] = "pagix-uninstall-";
const char kCopySuffix[] = ".exe";

const char* SkipBlanks(const char* text) {
  while (IsBlankOrTab(*text)) ++text;
  return text;
}

// Whether text begins with prefix (written in lower case), in any letter case.
int StartsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (LowerAscii(*text) != *prefix) return 0;
  }
  return 1;
}

int StartsWithSwitch(const char* text) {
  if (!StartsWithIgnoringCase(text, kCopySwitch)) return 0;
  const char after = text[sizeof kCopySwitch - 1];
  return after == '\0' || IsBlankOrTab(after);
}

// A decimal number from 1 to 0xFFFFFFFF followed by a blank or the end.
const char* ParseHandle(const char* text, unsigned long* value) {
  unsigned long long number = 0;
  const char* at = text;
  while (*at >= '0' && *at <= '9') {
    number = number * 10 + static_cast<unsigned>(*at - '0');
    if (number > 0xFFFFFFFFull) return nullptr;
    ++at;
  }
  if (at == text || number == 0 || !(*at == '\0' || IsBlankOrTab(*at))) return nullptr;
  *value = static_cast<unsigned long>(number);
  return at;
}

}  // namespace

void ParseUninstallArguments(const char* arguments, UninstallArguments* out) {
  out->Mode = kUninstallStartedByUser;
  out->OriginalProcess = 0;
  out->Folder[0] = '\0';
  const char* at = SkipBlanks(arguments ? arguments : "");
  if (!StartsWithSwitch(at)) return;

  out->Mode = kUninstallBadArguments;
  at = ParseHandle(SkipBlanks(at + sizeof kCopySwitch - 1), &out->OriginalProcess);
  if (!at) return;
  at = SkipBlanks(at);
  if (*at != '"') return;
  const char* begin = at + 1;
  const char* end = strchr(begin, '"');
  if (!end || *SkipBlanks(end + 1) != '\0') return;
  const size_t length = LengthWithoutTrailingSeparators(begin, static_cast<size_t>(end - begin));
  if (length == 0 || !CopyTextPart(out->Folder, sizeof out->Folder, begin, length)) return;
  out->Mode = kUninstallTemporaryCopy;
}

int FormatCopyCommandLine(char* out, size_t size, const char* copyPath,
                          unsigned long originalProcess, const char* folder) {
  const size_t folderLength = LengthWithoutTrailingSeparators(folder, strlen(folder));
  return FormatText(out, size, "\"%s\" %s %lu \"%.*s\"", copyPath, kCopySwitch, originalProcess,
                    static_cast<int>(folderLength), folder);
}

int IsNameIgnoringCase(const char* text, size_t length, const char* name) {
  if (strlen(name) != length) return 0;
  for (size_t i = 0; i < length; ++i) {
    if (LowerAscii(text[i]) != LowerAscii(name[i])) return 0;
  }
  return 1;
}

int FormatTemporaryCopyPath(char* out, size_t size, const char* tempFolder, unsigned long process,
                            int attempt) {
  return FormatText(out, size, "%s%s%lu-%d%s", tempFolder, kCopyPrefix, process, attempt,
                    kCopySuffix);
}

int IsTemporaryCopyName(const char* name) {
  if (!StartsWithIgnoringCase(name, kCopyPrefix)) return 0;
  const char* at = name + sizeof kCopyPrefix - 1;
  for (int number = 0; number < 2; ++number) {
    const char* digits = at;
    while (*at >= '0' && *at <= '9') ++at;
    if (at == digits) return 0;
    if (number == 0 && *at++ != '-') return 0;
  }
  return StartsWithIgnoringCase(at, kCopySuffix) && at[sizeof kCopySuffix - 1] == '\0';
}
