#include "base/code_page.h"

#include <string.h>

unsigned char g_LeadBytes[256];
char g_SuperscriptDigits[3][3];

void SetLeadByteRanges(const unsigned char* ranges, size_t size) {
  memset(g_LeadBytes, 0, sizeof g_LeadBytes);
  for (size_t i = 0; i + 1 < size && (ranges[i] != 0 || ranges[i + 1] != 0); i += 2) {
    for (unsigned byte = ranges[i]; byte <= ranges[i + 1]; ++byte) g_LeadBytes[byte] = 1;
  }
}

size_t WholeCharactersLength(const char* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length] != '\0') {
    const size_t next = length + CharacterLength(text + length);
    if (next > limit) break;
    length = next;
  }
  return length;
}
