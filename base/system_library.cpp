#include "base/system_library.h"

#include "base/text_format.h"

// The path buffers hold any path the ANSI functions give or take.
static_assert(kPathBufferSize == MAX_PATH, "a path buffer is MAX_PATH bytes");

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryFunction)(LPCSTR);

}  // namespace

void RestrictDllSearch() {
  auto setDefault = LoadSystemFunctionAs<SetDefaultDllDirectoriesFunction>(
      "kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  auto setDirectory =
      LoadSystemFunctionAs<SetDllDirectoryFunction>("kernel32.dll", "SetDllDirectoryA");
  if (setDirectory) setDirectory("");
}

FARPROC LoadSystemFunction(const char* library, const char* function) {
  char path[kPathBufferSize];
  UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length >= sizeof path) return nullptr;
  if (!FormatText(path + length, sizeof path - length, "\\%s", library)) return nullptr;
  // With an altered search path the library's own dependencies are looked up beside it, in the
  // system folder, also where the default search cannot be restricted.
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module ? GetProcAddress(module, function) : nullptr;
}
