// Whether a normalised destination can be the installation folder: room for every path built
// from it, and a full path to a folder that Windows creates under that very name.
#pragma once

// Nonzero when every path the installer composes from destinationDirectory (the directory
// followed by the longest relative name of the install tree) fits in kPathMaxLength characters.
// A text without a terminator within kPathBufferSize bytes never fits.
int DestinationLeavesRoom(const char* destinationDirectory);

// Nonzero when destinationDirectory (a destination text after NormalizePath in directory form)
// can be an installation folder as it stands: a full path (a drive letter, ":" and "/", or
// "//server/share/") to a folder below the volume's root, no "." or ".." segment left, no segment
// ending in "." or a blank (Windows drops those, so the folder made would not be the one named),
// no segment that is a device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0 to COM9, LPT0 to
// LPT9, and COM and LPT followed by a superscript one, two or three of the code page in use, in
// any case, also with blanks or an extension after it), and no character that Windows does not
// allow in a file name (control characters, < > " | ? * and a ":" anywhere but after the drive
// letter). Device namespaces ("//?/", "//./") fail on their "?" and "." segment. Read by
// characters (base/code_page.h).
int DestinationIsSound(const char* destinationDirectory);

// Nonzero when no segment of fieldText (the destination as typed, "\" or "/" between segments)
// but "." and ".." ends in "." or a blank or is a device name. Normalisation removes a segment
// such as "foo.." together with the ".." that seems to follow it, so the typed text is judged
// as well as the normalised one.
int TypedDestinationIsSound(const char* fieldText);
