#include "app/progress_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/manifest.h"

namespace {

TEST(ProgressText, SaysWhetherTheRunIsReadyUnderWayOrDone) {
  const std::string installing = std::string("Installing ") + kUninstallDisplayName + ": ";
  const std::string installed = std::string(kUninstallDisplayName) + " is installed";
  const std::string ready = std::string(kUninstallDisplayName) + ": ready to install";
  const struct {
    int total;
    int installing;
    std::string text;
  } cases[] = {
      {0, 0, ready},  // before the first run
      {0, 1, installing + "0 %"},
      {42, 1, installing + "42 %"},
      {99, 1, installing + "99 %"},
      {42, 0, ready},  // a stopped run
      {100, 1, installed},
      {100, 0, installed},  // Quit taken at the last advance: everything is in place
  };
  for (const auto& c : cases) {
    char text[kProgressTextSize];
    EXPECT_EQ(FormatProgressText(text, sizeof text, c.total, c.installing), 1) << c.total;
    EXPECT_EQ(text, c.text);
  }
}

}  // namespace
