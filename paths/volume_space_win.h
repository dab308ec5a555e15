// Whether the volume that will hold a destination has room for the installation.
#pragma once

#include <windows.h>

// Returns 0 after refusing, with one box ("Not enough disk space : <volume> has N KiB free, M KiB
// needed"), a destination (normalised, sound) whose volume has less free space than the
// installation takes; 1 otherwise. The volume is that of the destination's nearest existing
// folder, so a folder linked to another volume counts as that volume. A volume whose figures
// cannot be read (a share that cannot be reached yet, say) is left to the install steps.
int DestinationVolumeHasRoom(HWND owner, const char* destinationDirectory);
