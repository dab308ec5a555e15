// Loading DLLs only from the system folder, so a DLL planted beside the installer (in a
// Downloads folder, say) is never loaded in place of a system one.
#pragma once

#include <windows.h>

// Restricts the DLL search of the process to the system folder where the system allows it
// (SetDefaultDllDirectories, looked up at run time so older systems still start), and removes
// the current directory from the search otherwise. Called first thing at process start.
void RestrictDllSearch();

// The address of function in the system folder's copy of library (for example "comdlg32.dll"),
// loaded by its full path; null when either cannot be found.
FARPROC LoadSystemFunction(const char* library, const char* function);

// LoadSystemFunction, as the function's own type (for example decltype(&CoInitialize)). The
// detour through void(*)() is the generic function pointer type that converts to any other
// without a warning.
template <typename Function>
Function LoadSystemFunctionAs(const char* library, const char* function) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(LoadSystemFunction(library, function)));
}
