#include "product/uninstall/command_line.h"

#include <string.h>

#include "app/text_format.h"

namespace {

const char kCopySwitch[] = "/copy";

int IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

int IsSeparator(char c) { return c == '\\' || c == '/'; }

int StartsWithSwitch(const char* text) {
  for (size_t i = 0; i < sizeof kCopySwitch - 1; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kCopySwitch[i]) return 0;
  }
  const char after = text[sizeof kCopySwitch - 1];
  return after == '\0' || IsBlank(after);
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
  if (at == text || number == 0 || !(*at == '\0' || IsBlank(*at))) return nullptr;
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
  while (end > begin && IsSeparator(end[-1])) --end;
  const size_t length = static_cast<size_t>(end - begin);
  if (length == 0 || length >= sizeof out->Folder) return;
  memcpy(out->Folder, begin, length);
  out->Folder[length] = '\0';
  out->Mode = kUninstallTemporaryCopy;
}

int FormatCopyCommandLine(char* out, size_t size, const char* copyPath,
                          unsigned long originalProcess, const char* folder) {
  size_t folderLength = strlen(folder);
  while (folderLength > 0 && IsSeparator(folder[folderLength - 1])) --folderLength;
  return FormatText(out, size, "\"%s\" %s %lu \"%.*s\"", copyPath, kCopySwitch, originalProcess,
                    static_cast<int>(folderLength), folder);
}

int UninstallCommandNamesFolder(const char* command, const char* folder) {
  const char* begin = SkipBlanks(command);
  const char* end;
  if (*begin == '"') {
    ++begin;
    end = strchr(begin, '"');
    if (!end) end = begin + strlen(begin);
  } else {
    end = begin + strlen(begin);
    while (end > begin && IsBlank(end[-1])) --end;
  }
  // The program's folder: up to its last separator, without separators at the end.
  while (end > begin && !IsSeparator(end[-1])) --end;
  while (end > begin && IsSeparator(end[-1])) --end;
  size_t folderLength = strlen(folder);
  while (folderLength > 0 && IsSeparator(folder[folderLength - 1])) --folderLength;
  if (static_cast<size_t>(end - begin) != folderLength || folderLength == 0) return 0;
  for (size_t i = 0; i < folderLength; ++i) {
    char a = begin[i], b = folder[i];
    if (IsSeparator(a) && IsSeparator(b)) continue;
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return 0;
  }
  return 1;
}
