#include "shell/progman_commands.h"

#include <string.h>

#include "base/text_format.h"

namespace {

const char kCreateGroupFormat[] = "[CreateGroup(\"%s\")]";
const char kAddItemFormat[] = "[AddItem(\"%s/%s\",\"%s\")]";

// Characters of each format that are not replaced by an argument.
const size_t kCreateGroupFixed = sizeof kCreateGroupFormat - 1 - 2;
const size_t kAddItemFixed = sizeof kAddItemFormat - 1 - 6;

}  // namespace

size_t ProgmanCommandBlockSize(const char* group, const char* destination, const char* const* files,
                               const char* const* titles, int count) {
  size_t size = kCreateGroupFixed + strlen(group);
  for (int i = 0; i < count; ++i) {
    size += kAddItemFixed + strlen(destination) + strlen(files[i]) + strlen(titles[i]);
  }
  return size + 1;
}

int FormatProgmanCommands(char* out, size_t size, const char* group, const char* destination,
                          const char* const* files, const char* const* titles, int count) {
  if (!FormatText(out, size, kCreateGroupFormat, group)) return 0;
  // Each command starts on the terminator of the one before it.
  size_t used = strlen(out);
  for (int i = 0; i < count; ++i) {
    if (!FormatText(out + used, size - used, kAddItemFormat, destination, files[i], titles[i])) {
      return 0;
    }
    used += strlen(out + used);
  }
  return 1;
}

int FormatProgmanDeleteGroup(char* out, size_t size, const char* group) {
  return FormatText(out, size, "[DeleteGroup(\"%s\")]", group);
}

int FormatProgmanShowGroup(char* out, size_t size, const char* group) {
  return FormatText(out, size, "[ShowGroup(\"%s\",0)]", group);
}

int FormatProgmanDeleteItem(char* out, size_t size, const char* title) {
  return FormatText(out, size, "[DeleteItem(\"%s\")]", title);
}
