#include "base/manifest.h"

#include <stddef.h>
#include <string.h>

namespace {

// The lists are sized by the counts in the header, so a list left short would end in empty
// entries; these checks refuse that at compile time.
template <size_t N>
constexpr bool EveryRowNamed(const PayloadManifestRow (&rows)[N]) {
  for (const PayloadManifestRow& row : rows)
    if (!row.RelativePath) return false;
  return true;
}

template <size_t N>
constexpr bool EveryNameGiven(const char* const (&names)[N]) {
  for (const char* name : names)
    if (!name) return false;
  return true;
}

}  // namespace

constexpr PayloadManifestRow kInstallManifest[kPayloadItemCount] = {
    {111, "Pagix.exe", 1, 10},          {112, "uninstall.exe", 1, 5},
    {113, "Pagix.def", 1, 3},           {115, "LANG/English.zip", 0, 6},
    {116, "Pagix.psk", 1, 2},           {117, "Pagix_dicon.gif", 1, 3},
    {118, "Pagix_ficon.gif", 1, 3},     {119, "DICTIONARY/Webster 1913 - Micro.zip", 0, 4},
    {120, "PF1/Pagix.pf2", 0, 5},       {121, "PGN/Pagix_books.def", 1, 3},
    {122, "SKINS/Back.jpg", 1, 2},      {123, "SKINS/Book.jpg", 1, 2},
    {124, "SKINS/Book.psk", 1, 2},      {125, "SKINS/BookMenu.bmp", 1, 2},
    {126, "SKINS/BookStart.psk", 1, 2}, {127, "SKINS/Simple.psk", 1, 2},
    {128, "SKINS/Space.bmp", 1, 2},     {129, "SKINS/Space.psk", 1, 2},
};

static_assert(EveryRowNamed(kInstallManifest), "a row of the install manifest is missing");

// The sequence advances 10 after the destination folder and 10 after each of its three later
// steps, so the items take the progress from 10 to exactly 70.
constexpr int ItemWeights() {
  int total = 0;
  for (const PayloadManifestRow& row : kInstallManifest)
    total += row.Weight > 0 ? row.Weight : 1000;
  return total;
}
static_assert(ItemWeights() == 60, "the items' weights add up to 60, each above 0");

constexpr const char* kSubFolderNames[kSubFolderCount] = {"DICTIONARY", "PF1", "PGN", "SKINS",
                                                          "LANG"};
static_assert(EveryNameGiven(kSubFolderNames), "a sub-folder name is missing");

const char kProgramFileName[] = "Pagix.exe";
const char kUninstallerFileName[] = "uninstall.exe";
const char kProgramItemTitle[] = "Pagix";
const char kUninstallerItemTitle[] = "uninstall Pagix";
const char kProgmanGroupName[] = "Marrowby";
const char kUninstallKeyName[] = "Pagix";
// The version comes from the build (the top CMakeLists.txt), as it does for the resources.
const char kUninstallDisplayName[] = "Pagix " PAGIX_PRODUCT_VERSION;
const char kProductVersion[] = PAGIX_PRODUCT_VERSION;
const char kPublisherName[] = "Marrowby";
const char kLaunchQuestion[] = "Run Pagix now?";

constexpr const char* kGroupItemFiles[kGroupItemCount] = {kProgramFileName, kUninstallerFileName};
constexpr const char* kGroupItemTitles[kGroupItemCount] = {kProgramItemTitle,
                                                           kUninstallerItemTitle};
static_assert(EveryNameGiven(kGroupItemFiles) && EveryNameGiven(kGroupItemTitles),
              "a group item needs a file and a title");

int LongestInstalledRelativeName() {
  size_t longest = 0;
  for (const PayloadManifestRow& row : kInstallManifest) {
    size_t length = strlen(row.RelativePath);
    if (length > longest) longest = length;
  }
  for (const char* name : kSubFolderNames) {
    size_t length = strlen(name);
    if (length > longest) longest = length;
  }
  return static_cast<int>(longest);
}

uint32_t KibibytesRoundedUp(uint64_t bytes) {
  const uint64_t kibibytes = bytes / 1024 + (bytes % 1024 != 0);
  return kibibytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(kibibytes);
}
