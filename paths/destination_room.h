// Whether the destination field names a folder the installer can use: room for every path built
// from it, and a full path to a folder that Windows creates under that very name.
#pragma once

// The refusals of a destination, which Install shows with the field's text as their detail.
extern const char kDestinationTooLong[];   // "Destination path is too long"
extern const char kDestinationNotValid[];  // "Destination path is not valid"

// Judges the destination field as Install takes it, every check in its order, and normalises it.
// fieldText is the field's text in the ANSI code page, fieldCharacters the number of characters
// the field holds, exact 0 when one of them has no exact form in the code page. Returns null and
// leaves the destination in directory form (NormalizePath) in destination (kPathBufferSize
// bytes), or returns the refusal. Only the volume's free space is left to judge, which needs the
// system (paths/volume_space_win.h).
const char* JudgeDestination(const char* fieldText, int fieldCharacters, int exact,
                             char* destination);

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
