#include "base/program_arguments.h"

#include "base/text_characters.h"

const char* ProgramArguments(const char* commandLine) {
  const char* at = commandLine;
  int quoted = 0;
  for (; *at != '\0' && (quoted || !IsArgumentBreak(*at)); ++at) {
    if (*at == '"') quoted = !quoted;
  }
  while (*at != '\0' && IsArgumentBreak(*at)) ++at;
  return at;
}
