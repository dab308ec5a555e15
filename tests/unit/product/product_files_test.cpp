// The product files the installer carries: every install item comes from exactly one place, the
// two programs the win32 build makes or the files checked in below product/files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/manifest.h"

namespace fs = std::filesystem;

namespace {

TEST(ProductFiles, EveryItemIsAProgramOrACheckedInFile) {
  const fs::path kept = PAGIX_SOURCE_ROOT "/product/files";
  uintmax_t total = 0;
  for (const PayloadManifestRow& row : kInstallManifest) {
    const std::string name = row.RelativePath;
    const bool program = name == kProgramFileName || name == kUninstallerFileName;
    const bool checkedIn = fs::is_regular_file(kept / name);
    EXPECT_NE(program, checkedIn) << name << ": exactly one source";
    if (checkedIn) {
      EXPECT_GT(fs::file_size(kept / name), 0u) << name;
      total += fs::file_size(kept / name);
    }
  }
  EXPECT_LT(total, 200u * 1024) << "the data files stay small";
}

}  // namespace
