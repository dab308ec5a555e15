// Loads "comdlg32.dll" by name, the way a program without a restricted DLL search finds it.
// Shows that a planted DLL beside a program is really loaded in this environment.
#include <windows.h>

int main() { return LoadLibraryA("comdlg32.dll") ? 0 : 1; }
