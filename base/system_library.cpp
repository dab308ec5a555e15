#include "base/system_library.h"

#include "base/text_format.h"

// The path buffers hold any path the ANSI functions give or take.
static_assert(kPathBufferSize == MAX_PATH, "a path buffer is MAX_PATH bytes");

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryFunction)(LPCSTR);

// Converts a looked-up address to a function type; the detour through void(*)() is the generic
// function pointer type that converts to any other without a warning.
template <typename Function>
Function AsFunction(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

void RestrictDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  SetDefaultDllDirectoriesFunction setDefault = AsFunction<SetDefaultDllDirectoriesFunction>(
      GetProcAddress(kernel, "SetDefaultDllDirectories"));
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryFunction setDirectory =
      AsFunction<SetDllDirectoryFunction>(GetProcAddress(kernel, "SetDllDirectoryA"));
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
