// The progress indicator's text for assistive technology, which the bar carries as its name.
#pragma once

#include <stddef.h>

enum {
  // Size of the buffer for the progress text, with its terminator.
  kProgressTextSize = 64
};

// "Installing Pagix 0.9d: 42 %" while the total is below 100, "Pagix 0.9d is installed" from 100
// on. Returns 1 when the whole text fitted into out[0..size-1].
int FormatProgressText(char* out, size_t size, int total);
