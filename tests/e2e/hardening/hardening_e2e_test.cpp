// The installer under conditions that users meet outside a clean build folder: an executable
// damaged after the build, and a DLL planted beside it.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {

namespace {

using pagix_test::FileExists;
using pagix_test::ReadWholeFile;
using pagix_test::WriteWholeFile;

uint32_t Read32(const std::vector<unsigned char>& b, size_t at) {
  return at + 4 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                                    static_cast<uint32_t>(b[at + 3]) << 24)
                            : 0;
}
uint16_t Read16(const std::vector<unsigned char>& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | b[at + 1] << 8) : 0;
}

// File offset and size of resource type/id (first language) of a PE image, through the
// resource directory; 0 when it is not there.
struct ResourcePlace {
  size_t Offset = 0;
  size_t Size = 0;
};
ResourcePlace FindResource(const std::vector<unsigned char>& image, const char* typeName,
                           uint16_t id) {
  ResourcePlace place;
  size_t pe = Read32(image, 0x3C);
  size_t sections = Read16(image, pe + 6);
  size_t optional = pe + 24;
  // The optional header is the one of this build's architecture (PE32 or PE32+), as the
  // installer's is.
  uint32_t resourceRva =
      Read32(image, optional + offsetof(IMAGE_OPTIONAL_HEADER, DataDirectory) +
                        IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY));
  size_t sectionTable = optional + Read16(image, pe + 20);
  auto toOffset = [&](uint32_t rva) -> size_t {
    for (size_t i = 0; i < sections; ++i) {
      size_t s = sectionTable + i * 40;
      uint32_t va = Read32(image, s + 12), raw = Read32(image, s + 20),
               rawSize = Read32(image, s + 16);
      if (rva >= va && rva < va + rawSize) return raw + (rva - va);
    }
    return 0;
  };
  size_t root = toOffset(resourceRva);
  if (!root) return place;
  // Finds the entry of a directory by name (typeName) or by id; returns its target offset.
  auto entry = [&](size_t directory, const char* name, uint16_t number) -> uint32_t {
    size_t named = Read16(image, directory + 12), numbered = Read16(image, directory + 14);
    for (size_t i = 0; i < named + numbered; ++i) {
      size_t e = directory + 16 + i * 8;
      uint32_t key = Read32(image, e), target = Read32(image, e + 4);
      if (name && (key & 0x80000000u)) {
        size_t text = root + (key & 0x7FFFFFFFu);
        size_t length = Read16(image, text);
        std::string found;
        for (size_t c = 0; c < length; ++c)
          found += static_cast<char>(Read16(image, text + 2 + 2 * c));
        if (found == name) return target;
      } else if (!name && !(key & 0x80000000u) && key == number) {
        return target;
      }
    }
    return 0;
  };
  uint32_t type = entry(root, typeName, 0);
  if (!(type & 0x80000000u)) return place;
  uint32_t item = entry(root + (type & 0x7FFFFFFFu), nullptr, id);
  if (!(item & 0x80000000u)) return place;
  size_t languages = root + (item & 0x7FFFFFFFu);
  uint32_t data = Read32(image, languages + 16 + 4);
  size_t dataEntry = root + data;
  place.Offset = toOffset(Read32(image, dataEntry));
  place.Size = Read32(image, dataEntry + 4);
  return place;
}

class DamagedInstallerTest : public testing::TestWithParam<std::pair<uint16_t, const char*>> {};

// One flipped byte inside a payload item: the installer names the item before its dialog opens,
// and ends without creating anything.
TEST_P(DamagedInstallerTest, DamagedItemIsReportedBeforeTheDialog) {
  const uint16_t itemId = GetParam().first;
  const std::string relativeName = GetParam().second;
  RootFolder folder("pgx-damaged-setup");
  std::vector<unsigned char> image = ReadWholeFile(ToWinePath(Settings().Setup));
  ResourcePlace place = FindResource(image, "RAW", itemId);
  ASSERT_GT(place.Size, 8u) << "item " << itemId << " not found in the installer";
  image[place.Offset + place.Size / 2] ^= 0x10;
  const std::string damaged = folder.Join("PagixSetup.exe");
  ASSERT_TRUE(WriteWholeFile(damaged, image));
  const std::vector<std::string> rootBefore = FolderEntries("C:");

  InstallerProcess installer;
  std::string error;
  ASSERT_TRUE(installer.Start(damaged, Settings().Desktop, &error)) << error;
  HWND box = ExpectBox(
      installer, nullptr,
      {"The installer is damaged. Download it again. : " + relativeName, "error", kOkOnly});
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(installer.FindDialog(false), nullptr) << "the dialog was created";
  AnswerBox(installer, box, IDOK);
  ExpectEndsWithZero(installer);

  EXPECT_EQ(FolderEntries("C:"), rootBefore);
  EXPECT_FALSE(pagix_test::DirectoryExists(kDefaultDestination));
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(pagix_test::DirectoryExists(ProgramsGroupFolder()));
}

// A stored item, a compressed one, and the manifest's last item (the check covers every row).
INSTANTIATE_TEST_SUITE_P(StoredAndCompressed, DamagedInstallerTest,
                         testing::Values(std::make_pair(uint16_t{115}, "LANG/English.zip"),
                                         std::make_pair(uint16_t{113}, "Pagix.def"),
                                         std::make_pair(uint16_t{129}, "SKINS/Space.psk")));

// Per-program Wine settings that load comdlg32.dll from beside the program before the built-in
// one, removed again on destruction.
class PreferDllsBesideProgram {
 public:
  explicit PreferDllsBesideProgram(std::vector<std::string> programs)
      : programs_(std::move(programs)) {
    for (const std::string& program : programs_) {
      HKEY key;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyOf(program).c_str(), 0, nullptr, 0, KEY_WRITE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS) {
        static const char kOrder[] = "native,builtin";
        RegSetValueExA(key, "comdlg32", 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                       sizeof kOrder);
        RegCloseKey(key);
      }
    }
  }
  ~PreferDllsBesideProgram() {
    for (const std::string& program : programs_) {
      RegDeleteKeyA(HKEY_CURRENT_USER, KeyOf(program).c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + program).c_str());
    }
  }

 private:
  static std::string KeyOf(const std::string& program) {
    return "Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides";
  }
  std::vector<std::string> programs_;
};

// A comdlg32.dll planted beside the installer is not loaded, and Browse still works.
TEST(PlantedDllTest, DllBesideTheInstallerIsNotLoaded) {
  RootFolder folder("pgx-planted");
  const std::string marker = folder.Join("planted-dll-was-loaded");
  ASSERT_TRUE(CopyFileA(ToWinePath(Settings().Setup).c_str(), folder.Join("PagixSetup.exe").c_str(),
                        FALSE));
  ASSERT_TRUE(CopyFileA(ToWinePath(Settings().PlantedDll).c_str(),
                        folder.Join("comdlg32.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(ToWinePath(Settings().PlantProbe).c_str(),
                        folder.Join("plant_probe.exe").c_str(), FALSE));
  // Wine prefers its own built-in DLLs; for these two programs it is told to load a DLL found
  // beside the program first, as Windows does.
  PreferDllsBesideProgram prefer({"PagixSetup.exe", "plant_probe.exe"});

  // The planted DLL is really picked up by a program that searches for it by name.
  const pagix_test::Process probe =
      pagix_test::StartProcess("\"" + folder.Join("plant_probe.exe") + "\"", folder.Path());
  ASSERT_TRUE(probe.Handle);
  ASSERT_NE(pagix_test::WaitForExit(probe.Handle), -1) << "the probe did not end";
  ASSERT_TRUE(FileExists(marker)) << "the planted DLL was not loaded even by a plain search";
  DeleteFileA(marker.c_str());

  InstallerProcess installer;
  E2eSettings saved = Settings();
  Settings().Setup = folder.Join("PagixSetup.exe");
  HWND dialog = StartInstaller(installer);
  Settings() = saved;
  ASSERT_NE(dialog, nullptr);
  Press(dialog, IDC_BROWSE);
  std::string error;
  HWND chooser = installer.WaitForChooser(&error);
  EXPECT_FALSE(FileExists(marker)) << "the installer loaded the DLL planted beside it";
  ASSERT_NE(chooser, nullptr) << error;
  pagix_test::PressDialogButton(chooser, IDCANCEL);
  ASSERT_TRUE(installer.WaitUntilClosed(chooser, &error)) << error;
  Press(dialog, IDCANCEL);
  ExpectEndsWithZero(installer);
}

}  // namespace
}  // namespace pagix_e2e
