// lzhuf-pack: packs a file into one LZHUF payload item, or unpacks an item.
//
//   lzhuf-pack IN OUT            pack with the best parse
//   lzhuf-pack --greedy IN OUT   pack with the greedy parse
//   lzhuf-pack -d IN OUT         unpack with the installer's decoder
//
// Every packed item is decoded again and compared before it is written. OUT is written to a
// temporary file beside it and renamed into place, so a failure leaves no partial OUT. On failure
// the tool prints one line to stderr and exits with a non-zero status.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tools/lzhuf-pack/lzhuf_encoder.h"

namespace {

const char kUsage[] = "usage: lzhuf-pack [--greedy | -d] IN OUT";

int Fail(const std::string& message) {
  fprintf(stderr, "lzhuf-pack: %s\n", message.c_str());
  return 1;
}

bool ReadFile(const char* path, std::vector<uint8_t>* data, std::string* error) {
  FILE* file = fopen(path, "rb");
  if (!file) {
    *error = std::string("cannot read ") + path + ": " + strerror(errno);
    return false;
  }
  data->clear();
  uint8_t buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
    data->insert(data->end(), buffer, buffer + n);
  int failed = ferror(file);
  int savedErrno = errno;
  fclose(file);
  if (failed) {
    *error = std::string("cannot read ") + path + ": " + strerror(savedErrno);
    return false;
  }
  return true;
}

// Writes data to a temporary file in path's folder and renames it to path.
bool WriteFileAtomically(const char* path, const std::vector<uint8_t>& data, std::string* error) {
  std::string temp = std::string(path) + ".XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    *error = std::string("cannot write ") + path + ": " + strerror(errno);
    return false;
  }
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  FILE* file = fdopen(fd, "wb");
  bool ok = file != nullptr;
  if (!file) close(fd);
  if (ok && !data.empty()) ok = fwrite(data.data(), 1, data.size(), file) == data.size();
  if (ok) ok = fflush(file) == 0;
  int savedErrno = errno;
  if (file && fclose(file) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(temp.c_str(), path) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    *error = std::string("cannot write ") + path + ": " + strerror(savedErrno);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  enum { kPack, kPackGreedy, kUnpack } mode = kPack;
  const char* in = nullptr;
  const char* out = nullptr;
  if (argc == 3 && argv[1][0] != '-') {
    in = argv[1];
    out = argv[2];
  } else if (argc == 4 && (strcmp(argv[1], "--greedy") == 0 || strcmp(argv[1], "-d") == 0)) {
    mode = argv[1][1] == 'd' ? kUnpack : kPackGreedy;
    in = argv[2];
    out = argv[3];
  } else {
    fprintf(stderr, "%s\n", kUsage);
    return 2;
  }
  if (in[0] == '\0' || out[0] == '\0') {
    fprintf(stderr, "%s\n", kUsage);
    return 2;
  }

  std::string error;
  std::vector<uint8_t> input;
  if (!ReadFile(in, &input, &error)) return Fail(error);
  if (input.empty()) {
    return Fail(std::string(in) + " is empty; an item holds at least one byte");
  }

  std::vector<uint8_t> output;
  if (mode == kUnpack) {
    if (!LzhufDecodeItem(input.data(), input.size(), &output)) {
      return Fail(std::string("cannot decode ") + in);
    }
  } else {
    if (input.size() > kLzhufEncodeMaxSize) return Fail(std::string(in) + " is too large to pack");
    LzhufParse parse = mode == kPackGreedy ? LzhufParse::Greedy : LzhufParse::Default;
    if (!LzhufEncode(input.data(), input.size(), parse, &output)) {
      return Fail(std::string("cannot pack ") + in +
                  ": no parse of its end lets the decoder find the item's end; store it as is");
    }
    std::vector<uint8_t> check;
    if (!LzhufDecodeItem(output.data(), output.size(), &check) || check != input) {
      return Fail(std::string("internal error: the item packed from ") + in +
                  " does not decode to it");
    }
  }
  if (!WriteFileAtomically(out, output, &error)) return Fail(error);
  return 0;
}
