#include "paths/directory_chooser.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/support/wine_test_support.h"

namespace {

using pagix_test::ScratchFolder;

using pagix_test::Lower;

std::string ControlText(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

// Drives the real chooser from this thread: a CBT hook notices the chooser when it is activated
// and starts a zero-delay thread timer, whose callback runs inside the chooser's modal loop,
// double-clicks the scripted entries of the directory list and ends the dialog.
struct ChooserDriver {
  enum Finish { kOk, kCancel, kCloseBox };
  // Entries of the directory list to double-click in turn ("[name]", "[..]").
  std::vector<std::string> Visits;
  // When not empty, put into the hidden file-name field before OK.
  std::string TypedName;
  Finish End = kOk;

  HWND Dialog = nullptr;
  std::string InitialText;  // the current-directory text when the chooser appeared
  std::string FinalText;    // the same text right before the dialog was ended
  std::string ShownText;    // the chooser's own line then
  bool MissingVisit = false;
};

ChooserDriver* g_Driver = nullptr;

void CALLBACK DriveChooser(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  ChooserDriver& driver = *g_Driver;
  HWND dialog = driver.Dialog;
  driver.InitialText = ControlText(dialog, stc1);
  HWND list = GetDlgItem(dialog, lst2);
  for (const std::string& visit : driver.Visits) {
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(visit.c_str()));
    if (index == LB_ERR) {
      driver.MissingVisit = true;
      break;
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(lst2, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  }
  if (!driver.TypedName.empty()) SetDlgItemTextA(dialog, edt1, driver.TypedName.c_str());
  driver.FinalText = ControlText(dialog, stc1);
  driver.ShownText = ControlText(dialog, IDC_CHOOSER_OPEN_FOLDER);
  switch (driver.End) {
    case ChooserDriver::kOk:
      pagix_test::PressDialogButton(dialog, IDOK);
      break;
    case ChooserDriver::kCancel:
      pagix_test::PressDialogButton(dialog, IDCANCEL);
      break;
    case ChooserDriver::kCloseBox:
      PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}

LRESULT CALLBACK WatchForChooser(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && g_Driver && !g_Driver->Dialog) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, "Directory Selection") == 0) {
      g_Driver->Dialog = window;
      SetTimer(nullptr, 0, 0, DriveChooser);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs ChooseDirectory on a 260-byte buffer holding input, driven by driver.
int RunChooser(ChooserDriver& driver, const std::string& input, char (&path)[260]) {
  std::memset(path, 0, sizeof path);
  std::memcpy(path, input.c_str(), input.size() + 1);
  g_Driver = &driver;
  HHOOK hook = SetWindowsHookExA(WH_CBT, WatchForChooser, nullptr, GetCurrentThreadId());
  int result = ChooseDirectory(nullptr, path);
  UnhookWindowsHookEx(hook);
  g_Driver = nullptr;
  return result;
}

class DirectoryChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(scratch_.Join("Alpha").c_str(), nullptr);
    CreateDirectoryA(scratch_.Join("Beta").c_str(), nullptr);
    folder_ = scratch_.Path();
  }
  ScratchFolder scratch_{"chooser"};
  std::string folder_;  // backslashes, no trailing one
};

TEST_F(DirectoryChooserTest, OkReturnsTheFolderShownWithPattern) {
  ChooserDriver driver;
  char path[260];
  int result = RunChooser(driver, folder_ + "\\*.*", path);
  ASSERT_TRUE(driver.Dialog);
  EXPECT_NE(0, result);
  EXPECT_EQ(Lower(folder_), Lower(driver.InitialText));
  EXPECT_EQ(driver.FinalText + "\\*.*", path);
  EXPECT_EQ(driver.FinalText, ChosenDirectoryText);
}

TEST_F(DirectoryChooserTest, DoubleClicksMoveBetweenFolders) {
  ChooserDriver driver;
  driver.Visits = {"[alpha]", "[..]", "[beta]"};
  char path[260];
  int result = RunChooser(driver, folder_ + "\\*.*", path);
  ASSERT_TRUE(driver.Dialog);
  EXPECT_FALSE(driver.MissingVisit);
  EXPECT_NE(0, result);
  EXPECT_EQ(Lower(folder_ + "\\Beta"), Lower(driver.FinalText));
  EXPECT_EQ(driver.FinalText + "\\*.*", path);
  EXPECT_EQ(driver.FinalText, driver.ShownText) << "the line shows the open folder";
}

TEST_F(DirectoryChooserTest, InitialFolderComesFromTheFolderPartOfTheInput) {
  SetCurrentDirectoryA(folder_.c_str());
  std::string root = Lower(folder_.substr(0, 2)) + "\\";
  struct Case {
    std::string Input;
    std::string Shown;
  };
  const Case cases[] = {
      {folder_ + "\\Alpha\\*.*", folder_ + "\\Alpha"},
      {folder_ + "\\Alpha\\\\*.*", folder_ + "\\Alpha"},  // the field ended with "\"
      {folder_.substr(0, 2) + "\\*.*", root},             // a drive root
      {"\\*.*", root},                                    // the field was empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Input);
    ChooserDriver driver;
    char path[260];
    EXPECT_NE(0, RunChooser(driver, c.Input, path));
    EXPECT_EQ(Lower(c.Shown), Lower(driver.InitialText));
  }
}

TEST_F(DirectoryChooserTest, DriveRootComesBackWithoutDoubledSeparator) {
  ChooserDriver driver;
  char path[260];
  EXPECT_NE(0, RunChooser(driver, "C:\\*.*", path));
  EXPECT_EQ("c:\\", Lower(driver.FinalText));
  EXPECT_EQ("c:\\*.*", Lower(path));
}

TEST_F(DirectoryChooserTest, CancelAndCloseBoxLeaveThePathUnchanged) {
  for (ChooserDriver::Finish end : {ChooserDriver::kCancel, ChooserDriver::kCloseBox}) {
    ChooserDriver driver;
    driver.Visits = {"[alpha]"};
    driver.End = end;
    char path[260];
    std::string input = folder_ + "\\*.*";
    EXPECT_EQ(0, RunChooser(driver, input, path));
    ASSERT_TRUE(driver.Dialog);
    EXPECT_EQ(input, path);
    // The hook copied the text all the same; it is not used.
    EXPECT_EQ(Lower(folder_ + "\\Alpha"), Lower(ChosenDirectoryText));
  }
}

TEST_F(DirectoryChooserTest, FolderTypedIntoTheHiddenNameFieldIsEnteredOnOk) {
  ChooserDriver driver;
  driver.TypedName = folder_ + "\\Beta\\*.*";
  char path[260];
  EXPECT_NE(0, RunChooser(driver, folder_ + "\\*.*", path));
  EXPECT_EQ(Lower(folder_ + "\\Beta\\*.*"), Lower(path));
}

TEST_F(DirectoryChooserTest, FolderWithoutRoomForThePatternIsRefused) {
  // A parent folder whose children's texts are 255 and 256 characters long.
  std::string parent = folder_;
  while (parent.size() < 250 - 11) {
    parent += "\\" + std::string(10, 'n');
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
  }
  parent += "\\" + std::string(250 - parent.size() - 1, 'p');
  ASSERT_EQ(250u, parent.size());
  ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
  ASSERT_TRUE(CreateDirectoryA((parent + "\\cccc").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((parent + "\\ddddd").c_str(), nullptr));

  ChooserDriver fits;
  fits.Visits = {"[cccc]"};
  char path[260];
  EXPECT_NE(0, RunChooser(fits, parent + "\\*.*", path));
  EXPECT_EQ(255u, fits.FinalText.size());
  EXPECT_EQ(fits.FinalText + "\\*.*", path);

  ChooserDriver tooLong;
  tooLong.Visits = {"[ddddd]"};
  std::string input = parent + "\\*.*";
  EXPECT_EQ(0, RunChooser(tooLong, input, path));
  EXPECT_EQ(256u, tooLong.FinalText.size());
  EXPECT_EQ(input, path);
}

// The chooser's template as compiled into this program.
struct TemplateItem {
  int Id;
  std::string Class;
  std::string Text;
  short X, Y, Width, Height;
  DWORD Style;
};

class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* start) : start_(start), at_(start) {}
  WORD Word() {
    WORD value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  DWORD Dword() {
    DWORD value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  short Short() { return static_cast<short>(Word()); }
  // A zero-terminated UTF-16 text, or an ordinal written as "#number".
  std::string TextOrOrdinal() {
    WORD first = Word();
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    std::string text;
    for (WORD c = first; c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignToDword() {
    while ((at_ - start_) % 4 != 0) ++at_;
  }

 private:
  const BYTE* start_;
  const BYTE* at_;
};

std::string ClassName(const std::string& raw) {
  if (raw == "#128") return "BUTTON";
  if (raw == "#129") return "EDIT";
  if (raw == "#130") return "STATIC";
  if (raw == "#131") return "LISTBOX";
  if (raw == "#133") return "COMBOBOX";
  std::string upper = raw;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

TEST(DirectoryChooserTemplateTest, MatchesTheChooserLayout) {
  HRSRC found = FindResourceExA(nullptr, RT_DIALOG, IDD_DIRECTORY_CHOOSER,
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ASSERT_TRUE(found);
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_TRUE(bytes);
  TemplateReader reader(bytes);

  DWORD style = reader.Dword();
  EXPECT_NE(0xFFFF0001u, style) << "a DIALOGEX template";
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
            style);
  EXPECT_EQ(0u, reader.Dword());
  WORD count = reader.Word();
  ASSERT_EQ(12, count);
  EXPECT_EQ(27, reader.Short());
  EXPECT_EQ(22, reader.Short());
  EXPECT_EQ(209, reader.Short());
  EXPECT_EQ(114, reader.Short());
  EXPECT_EQ("", reader.TextOrOrdinal());  // no menu
  EXPECT_EQ("", reader.TextOrOrdinal());  // the platform's dialog class
  EXPECT_EQ("Directory Selection", reader.TextOrOrdinal());
  EXPECT_EQ(8, reader.Word());
  EXPECT_EQ("MS Sans Serif", reader.TextOrOrdinal());

  const DWORD listStyle = WS_CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_DISABLENOSCROLL;
  const DWORD labelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
  const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
  const TemplateItem expected[] = {
      {1152, "EDIT", "", 57, 142, 23, 12,
       WS_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_OEMCONVERT},
      {1120, "LISTBOX", "", 153, 141, 45, 18, listStyle},
      {-1, "STATIC", "&Directories:", 8, 4, 92, 9, labelStyle},
      {1121, "LISTBOX", "", 8, 15, 126, 66, listStyle | WS_VISIBLE},
      {1136, "COMBOBOX", "", 101, 145, 44, 36,
       WS_CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL},
      {1091, "STATIC", "Dri&ves:", 8, 81, 92, 9, labelStyle},
      {1137, "COMBOBOX", "", 8, 92, 127, 68,
       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST |
           CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_SORT | CBS_HASSTRINGS},
      {IDOK, "BUTTON", "OK", 140, 15, 60, 14, buttonStyle | BS_DEFPUSHBUTTON},
      {IDCANCEL, "BUTTON", "Cancel", 140, 31, 59, 14, buttonStyle | BS_PUSHBUTTON},
      {1037, "BUTTON", "Network...", 140, 47, 59, 16, buttonStyle | BS_PUSHBUTTON},
      // The folder the chooser is in: hidden and wider than the dialog, so never shortened;
      // its own line shows it, shortened in the middle where it is longer.
      {1088, "STATIC", "", 7, 166, 530, 11, WS_CHILD | WS_GROUP | SS_LEFT | SS_NOPREFIX},
      {IDC_CHOOSER_OPEN_FOLDER, "STATIC", "", 8, 104, 192, 9,
       labelStyle | SS_NOPREFIX | SS_PATHELLIPSIS},
  };
  for (const TemplateItem& item : expected) {
    SCOPED_TRACE(item.Id);
    reader.AlignToDword();
    EXPECT_EQ(item.Style, reader.Dword());
    EXPECT_EQ(0u, reader.Dword());  // no extended style
    EXPECT_EQ(item.X, reader.Short());
    EXPECT_EQ(item.Y, reader.Short());
    EXPECT_EQ(item.Width, reader.Short());
    EXPECT_EQ(item.Height, reader.Short());
    EXPECT_EQ(item.Id, reader.Short());
    EXPECT_EQ(item.Class, ClassName(reader.TextOrOrdinal()));
    EXPECT_EQ(item.Text, reader.TextOrOrdinal());
    EXPECT_EQ(0, reader.Word());  // no creation data
  }
}

}  // namespace
