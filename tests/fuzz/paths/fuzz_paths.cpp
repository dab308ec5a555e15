// Drives the path text operations with arbitrary text. Every output lives in a heap buffer of
// exactly the size the operation promises to stay within, so ASan sees any byte written past it;
// the properties the installer relies on are checked as well.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "paths/chooser_text.h"
#include "paths/path_text.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string Text(const char* buffer) { return std::string(buffer); }

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
  if (!whole) {
    Check(result.size() == kPathMaxLength);
  } else {
    Check(result.find('\\') == std::string::npos);
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

  if (whole) {
    std::string stripped = input;
    while (!stripped.empty() && IsSeparator(stripped.back())) stripped.pop_back();
    Check(Text(directory) + Text(name) == stripped);
    Check(Text(directory).empty() || IsSeparator(Text(directory).back()));
    for (char c : Text(name)) Check(!IsSeparator(c));
  }
  free(directory);
  free(name);
  free(inPlace);
}

void CheckChooserText(const std::string& input) {
  char* folder = static_cast<char*>(malloc(kPathBufferSize));
  if (ComputeInitialFolder(folder, input.c_str())) {
    Check(input.compare(0, strlen(folder), folder) == 0);
  }
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
  CheckNormalize(input, 0);
  CheckNormalize(input, 1);
  CheckSplit(input);
  CheckChooserText(input);
  return 0;
}
