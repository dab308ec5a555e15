// Drives the path text operations with arbitrary text, read as single-byte text and as text of a
// double-byte code page. Every output lives in a heap buffer of exactly the size the operation
// promises to stay within, so ASan sees any byte written past it; the properties the installer
// relies on are checked as well, character by character.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/code_page.h"
#include "paths/chooser_text.h"
#include "paths/path_text.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string Text(const char* buffer) { return std::string(buffer); }

// The start of each character of text.
std::vector<size_t> Characters(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += CharacterLength(&text[i])) starts.push_back(i);
  return starts;
}

// No lead byte without its second byte: nothing ends inside a character.
bool WellFormed(const std::string& text) {
  for (size_t i : Characters(text)) {
    if (IsLeadByte(text[i]) && CharacterLength(&text[i]) == 1) return false;
  }
  return true;
}

bool HasSeparatorCharacter(const std::string& text, char separator) {
  for (size_t i : Characters(text)) {
    if (text[i] == separator) return true;
  }
  return false;
}

// text without the separator characters at its end.
std::string WithoutTrailingSeparators(const std::string& text) {
  size_t kept = 0;
  for (size_t i : Characters(text)) {
    if (!IsSeparator(text[i])) kept = i + CharacterLength(&text[i]);
  }
  return text.substr(0, kept);
}

void CheckNormalize(const std::string& input, int fileForm) {
  size_t length = input.size();
  size_t outSize = length + 2 < kPathBufferSize ? length + 2 : kPathBufferSize;
  char* separate = static_cast<char*>(malloc(outSize));
  int whole = NormalizePath(separate, input.c_str(), fileForm);

  size_t inPlaceSize = length + 1 > outSize ? length + 1 : outSize;
  char* inPlace = static_cast<char*>(malloc(inPlaceSize));
  memcpy(inPlace, input.c_str(), length + 1);
  int wholeInPlace = NormalizePath(inPlace, inPlace, fileForm);

  std::string result = Text(separate);
  Check(result == Text(inPlace) && whole == wholeInPlace);
  Check(result.size() <= kPathMaxLength);
  if (WellFormed(input)) Check(WellFormed(result));
  if (!whole) {
    Check(result.size() + 1 >= kPathMaxLength);
  } else {
    Check(!HasSeparatorCharacter(result, '\\'));
    // No doubled "/" except a leading "//".
    Check(result.find("//", 1) == std::string::npos);
    if (fileForm) {
      Check(result.empty() || result.back() != '/');
    } else {
      Check(result.empty() || result.back() == '/');
    }
  }
  free(separate);
  free(inPlace);
}

void CheckSplit(const std::string& input) {
  size_t length = input.size();
  size_t outSize = length + 1 < kPathBufferSize ? length + 1 : kPathBufferSize;
  char* directory = static_cast<char*>(malloc(outSize));
  char* name = static_cast<char*>(malloc(outSize));
  int whole = SplitPath(input.c_str(), directory, name);

  char* inPlace = static_cast<char*>(malloc(length + 1));
  memcpy(inPlace, input.c_str(), length + 1);
  int directoryWhole = SplitPath(inPlace, inPlace, nullptr);
  Check(Text(inPlace) == Text(directory));
  char* directoryOnly = static_cast<char*>(malloc(outSize));
  Check(SplitPath(input.c_str(), directoryOnly, nullptr) == directoryWhole);
  Check(Text(directoryOnly) == Text(directory));
  free(directoryOnly);

  if (WellFormed(input)) Check(WellFormed(Text(directory)) && WellFormed(Text(name)));
  if (whole) {
    Check(Text(directory) + Text(name) == WithoutTrailingSeparators(input));
    Check(WithoutTrailingSeparators(Text(directory)).size() < Text(directory).size() ||
          Text(directory).empty());
    Check(!HasSeparatorCharacter(Text(name), '/') && !HasSeparatorCharacter(Text(name), '\\'));
  }
  free(directory);
  free(name);
  free(inPlace);
}

void CheckChooserText(const std::string& input) {
  char* folder = static_cast<char*>(malloc(kPathBufferSize));
  ComputeInitialFolder(folder, input.c_str());
  Check(input.compare(0, strlen(folder), folder) == 0);
  if (WellFormed(input)) Check(WellFormed(folder));
  char* path = static_cast<char*>(malloc(kPathBufferSize));
  path[0] = '\0';
  if (ComposeChosenPath(path, input.c_str())) {
    Check(Text(path).compare(0, input.size(), input) == 0);
  } else {
    Check(path[0] == '\0');
  }
  free(folder);
  free(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text ends at the first zero byte, as a path text does.
  std::string input(reinterpret_cast<const char*>(data), size);
  input = input.c_str();
  // Single-byte text, then the lead bytes of code page 932 (two ranges, with single-byte
  // characters between and after them).
  static const unsigned char kJapanese[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
  for (int doubleByte = 0; doubleByte <= 1; ++doubleByte) {
    SetLeadByteRanges(kJapanese, doubleByte ? sizeof kJapanese : 0);
    CheckNormalize(input, 0);
    CheckNormalize(input, 1);
    CheckSplit(input);
    CheckChooserText(input);
  }
  return 0;
}
