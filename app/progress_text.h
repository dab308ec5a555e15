// The progress indicator's text for assistive technology, which the bar carries as its name.
#pragma once

#include <stddef.h>

enum {
  // Size of the buffer for the progress text, with its terminator.
  kProgressTextSize = 64
};

// "Pagix 0.9d is installed" from a total of 100 on; below it "Installing Pagix 0.9d: 42 %" while
// a run is installing, otherwise (before the first run, after a stopped one) "Pagix 0.9d: ready
// to install". Returns 1 when the whole text fitted into out[0..size-1].
int FormatProgressText(char* out, size_t size, int total, int installing);
