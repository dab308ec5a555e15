#include "paths/destination_room.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/manifest.h"
#include "paths/path_text.h"
#include "tests/support/code_page_scope.h"

namespace {

using pagix_test::CodePageScope;
using pagix_test::CodePagesOf;

TEST(DestinationLeavesRoomTest, LongestFittingDestinationAndOneMore) {
  // Every installed path is the destination followed by one of these names.
  std::vector<std::string> names;
  for (const PayloadManifestRow& row : kInstallManifest) names.push_back(row.RelativePath);
  for (const char* folder : kSubFolderNames) names.push_back(folder);
  names.push_back(kUninstallerFileName);
  size_t longest = 0;
  for (const std::string& name : names) longest = std::max(longest, name.size());
  EXPECT_EQ(35u, longest);  // "DICTIONARY/Webster 1913 - Micro.zip"

  std::string fits = "C:/" + std::string(259 - longest - 4, 'f') + "/";
  ASSERT_EQ(224u, fits.size());
  EXPECT_TRUE(DestinationLeavesRoom(fits.c_str()));
  for (const std::string& name : names) EXPECT_LE((fits + name).size(), 259u) << name;

  std::string tooLong = "C:/" + std::string(259 - longest - 3, 'f') + "/";
  EXPECT_FALSE(DestinationLeavesRoom(tooLong.c_str()));
  EXPECT_EQ(260u, tooLong.size() + longest);

  EXPECT_TRUE(DestinationLeavesRoom("C:/Program Files/Marrowby/Pagix/"));
  EXPECT_TRUE(DestinationLeavesRoom(""));
  // What NormalizePath leaves of a 259-character field text that it had to cut.
  EXPECT_FALSE(DestinationLeavesRoom(("C:/" + std::string(256, 'p')).c_str()));
}

TEST(DestinationLeavesRoomTest, UnterminatedBufferNeverFits) {
  std::unique_ptr<char[]> full(new char[kPathBufferSize]);
  std::memset(full.get(), 'a', kPathBufferSize);  // no terminator
  EXPECT_FALSE(DestinationLeavesRoom(full.get()));
}

// Field texts as typed, judged as typed and normalised, as Install does.
struct SoundRow {
  const char* Field;
  bool Sound;
  int CodePage = 0;  // 0: single-byte text
};

const SoundRow kSoundRows[] = {
    {R"(C:\Program Files\Marrowby\Pagix)", true},
    {R"(c:\a b\c.d\Pagix\)", true},
    // A drive's or a share's root is no folder of its own.
    {R"(C:\)", false},
    {R"(C:\Pagix\..)", false},
    {R"(C:\Program Files\Marrowby\Pagix\..\..\Other)", true},
    {R"(\\server\share)", false},
    {R"(\\server\share\dir)", true},
    {"C:\\caf\xe9 \xa7", true},  // ANSI letters above 0x7F
    {R"(C:\ lead)", true},       // a leading blank is kept by Windows
    // Not a full path.
    {"", false},
    {R"(C:\..\..\..\climb)", false},
    {R"(Pagix)", false},
    {R"(.\dotrel)", false},
    {R"( C:\lead)", false},
    {R"(%ProgramFiles%\x)", false},
    {R"(C:Pagix)", false},
    {R"(\Pagix)", false},
    {R"(1:\x)", false},
    {R"(\\server)", false},
    {R"(\\server\)", false},
    // Segments Windows would not create under that name.
    {R"(C:\trail.)", false},
    {R"(C:\trail \x)", false},
    {R"(C:\dot\.\inner)", false},
    {R"(C:\..)", false},
    {R"(\\.\C:\dotdev)", false},
    {R"(\\?\C:\qx)", false},
    {R"(\\server\share.\x)", false},
    // Characters Windows refuses in a name.
    {R"(C:\a<b)", false},
    {R"(C:\a>b)", false},
    {R"(C:\a"b)", false},
    {R"(C:\a|b)", false},
    {R"(C:\a?b)", false},
    {R"(C:\a*b)", false},
    {"C:\\a\tb", false},
    {"C:\\a\x1f"
     "b",
     false},
    {R"(C:\a:b)", false},
    {R"(C:\x\D:\y)", false},
    {R"(\\server:1\share)", false},
    // Names Windows takes for devices, in any case, with blanks or an extension after them.
    {R"(C:\x\NUL)", false},
    {R"(C:\x\CON.txt)", false},
    {R"(C:\x\LPT1)", false},
    {R"(C:\CON\Pagix)", false},
    {R"(C:\x\nul)", false},
    {R"(C:\x\Com9.a.b)", false},
    {R"(C:\x\aux .txt)", false},
    {R"(C:\x\PRN\y)", false},
    {R"(\\server\NUL\x)", false},
    {R"(C:\x\CON\..\y)", false},  // as typed
    {R"(C:\x\COM0)", false},
    {R"(C:\x\lpt0.txt)", false},
    {R"(C:\x\CONIN$)", false},
    {R"(C:\x\conout$ .log)", false},
    {R"(C:\CONOUT$\Pagix)", false},
    // COM and LPT with a superscript one, two or three: bytes the code page in use decides.
    {"C:\\x\\COM\xB9", false, 1252},
    {"C:\\x\\lpt\xB2.txt", false, 1252},
    {"C:\\x\\LPT\xB3\\y", false, 1252},
    {"C:\\x\\COM\xB9", true, 932},  // a half-width katakana
    {"C:\\x\\COM\xB4", true, 1252},
    {"C:\\x\\COM\xB9\xB2", true, 1252},
    {R"(C:\x\COM)", true},
    {R"(C:\x\CONSOLE)", true},
    {R"(C:\x\CONOUT$$)", true},
    {R"(C:\x\LPT10)", true},
    {R"(C:\x\NULL.txt)", true},
    {R"(C:\x\my CON)", true},
    // A typed segment that ends in "." or a blank, even where normalisation removes it.
    {R"(C:\foo..\bar)", false},
    {R"(C:\a.\b)", false},
    {R"(C:\Games\Pagix..\Pagix)", false},
    {R"(C:\a \..\b)", false},
    {R"(C:\a\...\b)", false},
    // Double-byte names: a second byte 0x5C or 0x7C is neither a separator nor a "|".
    {"C:\\" CP932_SO CP932_FUTO "\\Pagix", true, 932},
    {"C:\\Data\\" CP932_ICHIRAN CP932_HYO, true, 932},
    {"C:\\" CP932_PO "\\Pagix", true, 932},
    {"C:\\" CP932_HYO, true, 932},
    {"C:\\" CP932_HYO "|", false, 932},
    {"C:\\" CP932_HYO ".", false, 932},
    {"C:\\" CP950_GONG CP950_NENG "\\Pagix", true, 950},
    {"C:\\" CP950_JIAO CP950_YU "\\Pagix", true, 950},
    {"C:\\" CP936_JOU "\\" CP936_JUE, true, 936},
};

TEST(JudgeDestinationTest, FieldTextsAsTyped) {
  for (const SoundRow& row : kSoundRows) {
    for (int codePage : CodePagesOf(row.CodePage)) {
      CodePageScope scope(codePage);
      char destination[kPathBufferSize];
      const char* refusal =
          JudgeDestination(row.Field, static_cast<int>(std::strlen(row.Field)), 1, destination);
      EXPECT_EQ(refusal, row.Sound ? nullptr : kDestinationNotValid)
          << "\"" << row.Field << "\" code page " << codePage;
      if (!refusal) {
        char normalised[kPathBufferSize];
        NormalizePath(normalised, row.Field, 0);
        EXPECT_STREQ(destination, normalised);
      }
    }
  }
}

// The checks run in Install's order: the field's length first, then its characters, then the
// path it makes.
TEST(JudgeDestinationTest, LengthBeforeCharactersBeforeRoom) {
  const std::string tooLongInvalid = "C:\\" + std::string(256, 'x') + "|";
  // More bytes than a path holds in fewer characters than a path may have.
  const std::string twoBytesEach = "C:\\" + std::string(2 * 200, '\x82');
  const std::string noRoom = "C:\\" + std::string(230, 'r');
  const struct {
    std::string Field;
    int Characters;
    int Exact;
    const char* Refusal;
  } cases[] = {
      {tooLongInvalid, 260, 0, kDestinationTooLong}, {"C:\\Pagix", 8, 0, kDestinationNotValid},
      {twoBytesEach, 203, 1, kDestinationTooLong},   {noRoom, 233, 1, kDestinationTooLong},
      {"C:\\a|b", 6, 1, kDestinationNotValid},
  };
  for (const auto& c : cases) {
    char destination[kPathBufferSize];
    EXPECT_EQ(JudgeDestination(c.Field.c_str(), c.Characters, c.Exact, destination), c.Refusal)
        << c.Field.substr(0, 12);
  }
}

}  // namespace
