// icon-gen OUTPUT.ico: writes the installer's icon, an open book at 48, 32 and 16 pixels with
// 256 colours each.
#include <stdio.h>

#include "tools/icon-gen/icon_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: icon-gen OUTPUT.ico\n");
    return 2;
  }
  const std::vector<IconImage> images = {DrawBookIcon(48), DrawBookIcon(32), DrawBookIcon(16)};
  const std::vector<uint8_t> bytes = EncodeIconFile(images);
  FILE* file = fopen(argv[1], "wb");
  if (!file) {
    perror(argv[1]);
    return 1;
  }
  const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (fclose(file) != 0 || !written) {
    fprintf(stderr, "icon-gen: cannot write %s\n", argv[1]);
    remove(argv[1]);
    return 1;
  }
  return 0;
}
