// The arguments part of a process's command line, as WinMain receives it. Platform-free.
#pragma once

// The part of commandLine after the program name and the blanks that follow it. The program name
// ends at the first blank or control character outside double quotes (a quote anywhere in it
// opens or closes a quoted stretch), the way the C runtime cuts it for WinMain, so a program
// path with spaces must be quoted. Bytes above 127 are characters of the name, never blanks.
const char* ProgramArguments(const char* commandLine);
