// payload-rc --packer PACKER --items ITEM_DIR --rc OUT.rc [--tree TREE_DIR] ROOT...
//   Makes the installer's payload from the install manifest: each item's file is looked up below
//   the ROOT folders (exactly one must hold it, and it must not be empty), LZHUF items are packed
//   with PACKER (run as PACKER IN OUT), stored items copied, both to ITEM_DIR/<id>.item; the
//   checksum record ITEM_DIR/checksums.bin holds the CRC-32 of each file; the resource script
//   OUT.rc embeds items and record. With --tree the files are also laid out below TREE_DIR as
//   the installer installs them.
// payload-rc --uninstaller --items ITEM_DIR --rc OUT.rc ROOT...
//   Writes the uninstaller's record (every file but uninstall.exe itself) to
//   ITEM_DIR/checksums.bin and the resource script OUT.rc that embeds it.
// payload-rc --record OUT ID FILE [ID FILE ...]
//   Writes a checksum record of the files given, for test payloads.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/payload-rc/payload_stage.h"

namespace {

int Fail(const std::string& message) {
  fprintf(stderr, "payload-rc: %s\n", message.c_str());
  return 1;
}

int WriteRecord(int argc, char** argv) {
  if (argc < 5 || (argc - 3) % 2 != 0) {
    fprintf(stderr, "usage: payload-rc --record OUT ID FILE [ID FILE ...]\n");
    return 2;
  }
  std::vector<std::pair<int, std::string>> files;
  for (int i = 3; i < argc; i += 2) {
    char* end = nullptr;
    const long id = strtol(argv[i], &end, 10);
    if (*argv[i] == '\0' || *end != '\0' || id < 1 || id > 65535)
      return Fail(std::string("not a resource id: ") + argv[i]);
    files.emplace_back(static_cast<int>(id), argv[i + 1]);
  }
  std::string error;
  return WriteChecksumRecord(argv[2], files, &error) ? 0 : Fail(error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && !strcmp(argv[1], "--record")) return WriteRecord(argc, argv);
  PayloadStageOptions options;
  bool uninstaller = false;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!strcmp(argv[i], "--packer") && hasValue) {
      options.Packer = argv[++i];
    } else if (!strcmp(argv[i], "--items") && hasValue) {
      options.ItemDir = argv[++i];
    } else if (!strcmp(argv[i], "--rc") && hasValue) {
      options.RcPath = argv[++i];
    } else if (!strcmp(argv[i], "--tree") && hasValue) {
      options.TreeDir = argv[++i];
    } else if (!strcmp(argv[i], "--uninstaller")) {
      uninstaller = true;
    } else if (argv[i][0] == '-') {
      fprintf(stderr, "payload-rc: unknown option %s\n", argv[i]);
      return 2;
    } else {
      options.SourceRoots.push_back(argv[i]);
    }
  }
  if ((options.Packer.empty() && !uninstaller) || options.ItemDir.empty() ||
      options.RcPath.empty() || options.SourceRoots.empty()) {
    fprintf(stderr,
            "usage: payload-rc --packer PACKER --items ITEM_DIR --rc OUT.rc [--tree TREE_DIR] "
            "ROOT...\n"
            "       payload-rc --uninstaller --items ITEM_DIR --rc OUT.rc ROOT...\n"
            "       payload-rc --record OUT ID FILE [ID FILE ...]\n");
    return 2;
  }
  std::string error;
  const bool done =
      uninstaller ? StageUninstallerRecord(options, &error) : StagePayload(options, &error);
  return done ? 0 : Fail(error);
}
