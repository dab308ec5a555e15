// payload-rc --packer PACKER --checksums CRC_TOOL --items ITEM_DIR --rc OUT.rc [--tree TREE_DIR]
//            ROOT...
// Makes the installer's payload from the install manifest: each item's file is looked up below
// the ROOT folders (exactly one must hold it, and it must not be empty), LZHUF items are packed
// with PACKER (run as PACKER IN OUT), stored items copied, both to ITEM_DIR/<id>.item; CRC_TOOL
// (run as CRC_TOOL OUT ID FILE...) writes the checksum record ITEM_DIR/checksums.bin of the
// files; the resource script OUT.rc embeds items and record. With --tree the files are also laid
// out below TREE_DIR as the installer installs them.
#include <stdio.h>
#include <string.h>

#include <string>

#include "tools/payload-rc/payload_stage.h"

int main(int argc, char** argv) {
  PayloadStageOptions options;
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (!strcmp(argv[i], "--packer") && has_value) {
      options.Packer = argv[++i];
    } else if (!strcmp(argv[i], "--checksums") && has_value) {
      options.ChecksumTool = argv[++i];
    } else if (!strcmp(argv[i], "--items") && has_value) {
      options.ItemDir = argv[++i];
    } else if (!strcmp(argv[i], "--rc") && has_value) {
      options.RcPath = argv[++i];
    } else if (!strcmp(argv[i], "--tree") && has_value) {
      options.TreeDir = argv[++i];
    } else if (argv[i][0] == '-') {
      fprintf(stderr, "payload-rc: unknown option %s\n", argv[i]);
      return 2;
    } else {
      options.SourceRoots.push_back(argv[i]);
    }
  }
  if (options.Packer.empty() || options.ChecksumTool.empty() || options.ItemDir.empty() ||
      options.RcPath.empty() || options.SourceRoots.empty()) {
    fprintf(stderr,
            "usage: payload-rc --packer PACKER --checksums CRC_TOOL --items ITEM_DIR --rc OUT.rc "
            "[--tree TREE_DIR] ROOT...\n");
    return 2;
  }
  std::string error;
  if (!StagePayload(options, &error)) {
    fprintf(stderr, "payload-rc: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
