// The entry of the end-to-end test programs: GoogleTest's arguments, then the scenarios' own.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_scenario.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  pagix_e2e::ParseSettings(argc, argv);
  return RUN_ALL_TESTS();
}
