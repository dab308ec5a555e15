#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/wine_test_support.h"

int main(int argc, char** argv) {
  // Focus and activation are the test's own on a desktop of its own, whatever else runs.
  if (!pagix_test::EnterPrivateDesktop("PagixProgressTest")) {
    std::fprintf(stderr, "cannot enter a private desktop\n");
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
