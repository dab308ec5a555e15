#include "app/progress_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/manifest.h"

namespace {

TEST(ProgressText, SaysHowFarTheRunIsAndThatItIsDoneAtHundred) {
  const std::string installing = std::string("Installing ") + kUninstallDisplayName + ": ";
  const std::string installed = std::string(kUninstallDisplayName) + " is installed";
  const struct {
    int total;
    std::string text;
  } cases[] = {
      {0, installing + "0 %"},
      {42, installing + "42 %"},
      {99, installing + "99 %"},
      {100, installed},
  };
  for (const auto& c : cases) {
    char text[kProgressTextSize];
    EXPECT_EQ(FormatProgressText(text, sizeof text, c.total), 1) << c.total;
    EXPECT_EQ(text, c.text);
  }
}

}  // namespace
