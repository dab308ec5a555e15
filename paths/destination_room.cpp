#include <stddef.h>

#include "app/manifest.h"
#include "paths/path_text.h"

int DestinationLeavesRoom(const char* destinationDirectory) {
  size_t length = 0;
  while (length < kPathBufferSize && destinationDirectory[length] != '\0') ++length;
  size_t longest = static_cast<size_t>(LongestInstalledRelativeName());
  return length + longest <= kPathMaxLength;
}
