#include "base/program_arguments.h"

namespace {

int IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

const char* ProgramArguments(const char* commandLine) {
  const char* at = commandLine;
  int quoted = 0;
  for (; *at != '\0' && (quoted || !IsBlank(*at)); ++at) {
    if (*at == '"') quoted = !quoted;
  }
  while (*at != '\0' && IsBlank(*at)) ++at;
  return at;
}
