// product-gen CONTENT_DIR OUT_DIR
// Draws the product's pictures and font and packs its zip archives (each from the files in
// CONTENT_DIR/<archive path without ".zip">/) into OUT_DIR, below the paths they are installed to.
#include <stdio.h>

#include <string>

#include "tools/product-gen/product_files.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: product-gen CONTENT_DIR OUT_DIR\n");
    return 2;
  }
  std::string error;
  if (!WriteProductFiles(argv[1], argv[2], &error)) {
    fprintf(stderr, "product-gen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
