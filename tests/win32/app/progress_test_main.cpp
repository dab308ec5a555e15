#include "tests/support/wine_test_support.h"

int main(int argc, char** argv) {
  // Focus and activation are the test's own on a desktop of its own, whatever else runs.
  return pagix_test::RunTestsOnPrivateDesktop("PagixProgressTest", argc, argv);
}
