// The real PagixSetup.exe under Wine: the folder chooser behind Browse, the whole road by keyboard
// alone, and the dialog's layout as the user sees it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/manifest.h"
#include "product/pagix/pagix_resource.h"
#include "tests/e2e/e2e_scenario.h"
#include "tests/e2e/screenshot.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

using pagix_test::Lower;

// The folder the chooser shows now (its hidden current-folder control).
std::string ChooserFolder(HWND chooser) {
  return TextOf(GetDlgItem(chooser, kChooserCurrentFolder));
}

// Opens an entry of the directory list ("[name]" or "[..]") the way a double click does:
// select it, then the list's double-click notification to the chooser.
void OpenListEntry(HWND chooser, const std::string& entry, const std::string& expectedFolder) {
  HWND list = GetDlgItem(chooser, kChooserDirectoryList);
  std::vector<std::string> items = pagix_test::ListBoxLines(list);
  auto found = std::find_if(items.begin(), items.end(),
                            [&](const std::string& item) { return Lower(item) == Lower(entry); });
  ASSERT_NE(found, items.end()) << entry << " is not listed: " << testing::PrintToString(items);
  ASSERT_TRUE(SendSync(list, LB_SETCURSEL, static_cast<WPARAM>(found - items.begin())));
  PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(kChooserDirectoryList, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  EXPECT_TRUE(WaitUntil([&] { return ChooserFolder(chooser) == expectedFolder; }))
      << "after opening " << entry << " the chooser shows " << ChooserFolder(chooser);
}

class BrowseTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(start_.c_str(), nullptr);
    CreateDirectoryA((start_ + "\\Alpha").c_str(), nullptr);
    CreateDirectoryA((start_ + "\\Beta").c_str(), nullptr);
    ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  }
  void TearDown() override { RemoveInstallation(""); }

  // Browse from the field's text; checks the chooser as it opens and returns it.
  HWND OpenChooser(const std::string& field, const std::string& expectedFolder) {
    EXPECT_TRUE(SetFieldText(dialog_, field));
    Press(dialog_, IDC_BROWSE);
    return ExpectChooser(expectedFolder);
  }

  // The chooser as it opens after Browse; null after a recorded failure.
  HWND ExpectChooser(const std::string& expectedFolder) {
    std::string error;
    HWND chooser = installer_.WaitForChooser(&error);
    if (!chooser) {
      ADD_FAILURE() << error;
      return nullptr;
    }
    EXPECT_EQ(TextOf(chooser), kChooserTitle);
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), dialog_);
    EXPECT_FALSE(IsWindowEnabled(dialog_)) << "the chooser is not modal to the dialog";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(chooser, kChooserDriveList)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(chooser, kChooserFileName)));
    // The folder the chooser is in is shown, on a line of its own inside the chooser.
    HWND folder = GetDlgItem(chooser, IDC_CHOOSER_OPEN_FOLDER);
    RECT line, inside, both;
    GetWindowRect(folder, &line);
    GetClientRect(chooser, &inside);
    MapWindowPoints(chooser, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    EXPECT_TRUE(IsWindowVisible(folder));
    EXPECT_TRUE(IntersectRect(&both, &line, &inside) && EqualRect(&both, &line));
    EXPECT_TRUE(WaitUntil([&] { return ChooserFolder(chooser) == expectedFolder; }))
        << "the chooser opened at " << ChooserFolder(chooser);
    return chooser;
  }

  void CloseChooser(HWND chooser, int buttonId) {
    pagix_test::PressDialogButton(chooser, buttonId);
    std::string error;
    EXPECT_TRUE(installer_.WaitUntilClosed(chooser, &error)) << error;
    ExpectIdleAgain(installer_, dialog_);
  }

  RootFolder root_{"pgx-e2e-browse"};
  const std::string start_ = root_.Join("Start Here");
  InstallerProcess installer_;
  HWND dialog_ = nullptr;
};

struct ChooseCase {
  const char* Name;
  const char* Field;
  const char* OpensAt;               // the chooser's folder text at start (lower case)
  std::vector<std::string> Entries;  // directory list entries opened in turn
  std::vector<std::string> Through;  // the folder shown after each of them
  const char* Result;                // the field after OK
};

class ChooseTest : public BrowseTest, public testing::WithParamInterface<ChooseCase> {};

TEST_P(ChooseTest, OkPutsTheChosenFolderIntoTheField) {
  const ChooseCase& c = GetParam();
  HWND chooser = OpenChooser(c.Field, c.OpensAt);
  ASSERT_NE(chooser, nullptr);
  if (std::string(c.Name) == "Down") Screenshot(chooser, "chooser");
  for (size_t i = 0; i < c.Entries.size(); ++i) {
    ASSERT_NO_FATAL_FAILURE(OpenListEntry(chooser, c.Entries[i], c.Through[i]));
  }
  CloseChooser(chooser, IDOK);
  EXPECT_EQ(FieldText(dialog_), c.Result);
  Press(dialog_, IDCANCEL);
  ExpectEndsWithZero(installer_);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ChooseTest,
    testing::Values(
        ChooseCase{"Down",
                   "C:\\pgx-e2e-browse\\Start Here",
                   "c:\\pgx-e2e-browse\\start here",
                   {"[alpha]"},
                   {"c:\\pgx-e2e-browse\\start here\\alpha"},
                   "c:\\pgx-e2e-browse\\start here\\alpha\\"},
        // The field's trailing backslash changes nothing; up and down again.
        ChooseCase{"UpAndAcross",
                   "C:\\pgx-e2e-browse\\Start Here\\Alpha\\",
                   "c:\\pgx-e2e-browse\\start here\\alpha",
                   {"[..]", "[beta]"},
                   {"c:\\pgx-e2e-browse\\start here", "c:\\pgx-e2e-browse\\start here\\beta"},
                   "c:\\pgx-e2e-browse\\start here\\beta\\"},
        // A drive root keeps its one backslash.
        ChooseCase{
            "DriveRoot", "C:\\pgx-e2e-browse", "c:\\pgx-e2e-browse", {"[..]"}, {"c:\\"}, "c:\\"}),
    [](const testing::TestParamInfo<ChooseCase>& p) { return std::string(p.param.Name); });

TEST_F(BrowseTest, CancelLeavesTheFieldAsItWas) {
  const std::string field = "C:\\pgx-e2e-browse\\Start Here";
  HWND chooser = OpenChooser(field, "c:\\pgx-e2e-browse\\start here");
  ASSERT_NE(chooser, nullptr);
  ASSERT_NO_FATAL_FAILURE(OpenListEntry(chooser, "[beta]", "c:\\pgx-e2e-browse\\start here\\beta"));
  CloseChooser(chooser, IDCANCEL);
  EXPECT_EQ(FieldText(dialog_), field);
  Press(dialog_, IDCANCEL);
  ExpectEndsWithZero(installer_);
}

TEST_F(BrowseTest, ChosenFolderIsWhereInstallPutsTheFiles) {
  HWND chooser = OpenChooser(start_, "c:\\pgx-e2e-browse\\start here");
  ASSERT_NE(chooser, nullptr);
  ASSERT_NO_FATAL_FAILURE(
      OpenListEntry(chooser, "[alpha]", "c:\\pgx-e2e-browse\\start here\\alpha"));
  CloseChooser(chooser, IDOK);
  const std::string field = FieldText(dialog_);
  ASSERT_EQ(field, "c:\\pgx-e2e-browse\\start here\\alpha\\");

  // The folder exists, so nothing is asked before the launch question.
  Press(dialog_, IDOK);
  HWND launch = ExpectBox(installer_, dialog_, kRunPagixNow);
  ASSERT_NE(launch, nullptr);
  // The installed paths (and so the uninstall command) keep the chooser's lower case; the file
  // system does not mind.
  ExpectInstalled("c:\\pgx-e2e-browse\\start here\\alpha");
  AnswerBox(installer_, launch, IDNO);
  ExpectEndsWithZero(installer_);
  EXPECT_TRUE(CloseGroupWindow());
}

LRESULT Highlighted(HWND list) {
  DWORD_PTR at = static_cast<DWORD_PTR>(LB_ERR);
  SendMessageTimeoutA(list, LB_GETCURSEL, 0, 0, SMTO_NORMAL, kWaitMs, &at);
  return static_cast<LRESULT>(at);
}

// Waits until the keyboard focus of window's thread is on the control.
bool FocusComesTo(HWND window, HWND control) {
  return WaitUntil([&] { return FocusOf(window) == control; });
}

// Everything by SendInput alone, which the system hands to the window in front: no mouse, no
// posted command.
TEST_F(BrowseTest, KeyboardAloneChoosesStopsAndInstalls) {
  HWND field = GetDlgItem(dialog_, IDC_DESTINATION);
  ASSERT_TRUE(SetFieldText(dialog_, start_));
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog_; }));
  PressKeys({VK_TAB});
  ASSERT_TRUE(FocusComesTo(dialog_, GetDlgItem(dialog_, IDC_BROWSE)));
  PressKeys({VK_MENU, 'D'});
  EXPECT_TRUE(FocusComesTo(dialog_, field)) << "Alt+D does not lead to the field";

  // Alt+B; in the chooser Alt+D goes to the directory list and the arrows highlight a folder.
  // Enter opens it and the chooser stays; Enter again, the highlight unmoved, takes it.
  PressKeys({VK_MENU, 'B'});
  HWND chooser = ExpectChooser("c:\\pgx-e2e-browse\\start here");
  ASSERT_NE(chooser, nullptr);
  HWND list = GetDlgItem(chooser, kChooserDirectoryList);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == chooser; }));
  PressKeys({VK_MENU, 'D'});
  ASSERT_TRUE(FocusComesTo(chooser, list));
  const std::vector<std::string> items = pagix_test::ListBoxLines(list);
  const LRESULT alpha = std::find(items.begin(), items.end(), "[Alpha]") - items.begin();
  for (size_t step = 0; step < items.size() && Highlighted(list) < alpha; ++step) {
    const LRESULT at = Highlighted(list);
    PressKeys({VK_DOWN});
    WaitUntil([&] { return Highlighted(list) != at; });
  }
  ASSERT_EQ(Highlighted(list), alpha) << testing::PrintToString(items);
  const std::string chosen = "c:\\pgx-e2e-browse\\start here\\alpha";
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return ChooserFolder(chooser) == chosen || !IsWindow(chooser); }));
  ASSERT_TRUE(IsWindowVisible(chooser)) << "Enter ended the chooser";
  EXPECT_EQ(ChooserFolder(chooser), chosen);
  PressKeys({VK_RETURN});
  std::string error;
  ASSERT_TRUE(installer_.WaitUntilClosed(chooser, &error)) << error;
  EXPECT_EQ(FieldText(dialog_), chosen + "\\");

  // Alt+I runs into the existing folder; Escape, waiting right behind it, stops the run between
  // steps, and the focus is back in the field.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog_; }));
  ASSERT_TRUE(installer_.PostWhileHeld(
      [] {
        PressKeys({VK_MENU, 'I'});
        PressKeys({VK_ESCAPE});
      },
      &error))
      << error;
  ExpectIdleAgain(installer_, dialog_);
  EXPECT_TRUE(FocusComesTo(dialog_, field));
  EXPECT_FALSE(CompareInstalledFiles(chosen, Settings().ProductDir).empty()) << "not stopped";
  EXPECT_FALSE(ReadUninstallEntry().Exists);

  // Alt+I again installs. The shell's group window takes the front for a moment; once it is there
  // and its thread has settled, the launch question is in front and N answers it.
  PressKeys({VK_MENU, 'I'});
  HWND launch = ExpectBox(installer_, dialog_, kRunPagixNow);
  ASSERT_NE(launch, nullptr);
  HWND group = WaitForWindow([] { return FindTopLevel(kProgmanGroupName); });
  ASSERT_NE(group, nullptr) << "the shell showed no group window";
  SendSync(group, WM_NULL);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == launch; }))
      << "in front: " << TextOf(GetForegroundWindow());
  PressKeys({'N'});
  ExpectEndsWithZero(installer_);
  ExpectInstalled(chosen);
  EXPECT_EQ(FindTopLevel(kProductWindowTitle), nullptr) << "Pagix was started after N";
}

// What the dialog manager makes of a program's own dialog template in this process, at the
// session's DPI: rectangles in dialog units mapped to pixels and the extents of texts in the
// template's font. The template is read from the program's file, so the
// font is the program's. The measuring dialog lives on a thread of its own that has ended before
// the installer starts: the installer's DDE initiate is sent to every top-level window and waits
// for each, so this process must own no window (not even the thread's hidden IME window) while
// the installer runs.
class DialogUnits {
 public:
  // A text with the DrawText format that its control draws it with (beyond DT_SINGLELINE).
  struct Text {
    std::string Value;
    UINT Format;
  };

  // Each rectangle is x, y, width, height; mapped as the dialog manager maps a template: each
  // number on its own.
  DialogUnits(const std::string& program, int templateId, std::vector<RECT> rects,
              std::vector<Text> texts = {})
      : program_(program),
        templateId_(templateId),
        rects_(std::move(rects)),
        texts_(std::move(texts)) {
    HANDLE thread = CreateThread(nullptr, 0, Measure, this, 0, nullptr);
    if (thread) {
      WaitForSingleObject(thread, kWaitMs);
      CloseHandle(thread);
    }
  }
  bool Ready() const { return ready_; }
  const RECT& Mapped(size_t index) const { return rects_[index]; }
  // The extent of text i on one line, in pixels.
  const SIZE& Extent(size_t index) const { return extents_[index]; }
  int Dpi() const { return dpi_; }

 private:
  static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
  static DWORD WINAPI Measure(void* context) {
    auto* self = static_cast<DialogUnits*>(context);
    HMODULE module = LoadLibraryExA(self->program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 1;
    HWND window = CreateDialogParamA(module, MAKEINTRESOURCEA(self->templateId_), nullptr, Proc, 0);
    if (window) {
      for (RECT& r : self->rects_) MapDialogRect(window, &r);
      HDC dc = GetDC(window);
      self->dpi_ = GetDeviceCaps(dc, LOGPIXELSY);
      HGDIOBJ old =
          SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
      for (const Text& text : self->texts_) {
        RECT r = {0, 0, 0, 0};
        DrawTextA(dc, text.Value.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | text.Format);
        self->extents_.push_back({r.right - r.left, r.bottom - r.top});
      }
      SelectObject(dc, old);
      ReleaseDC(window, dc);
      DestroyWindow(window);
      self->ready_ = true;
    }
    FreeLibrary(module);
    return 0;
  }

  std::string program_;
  int templateId_;
  std::vector<RECT> rects_;
  std::vector<Text> texts_;
  std::vector<SIZE> extents_;
  int dpi_ = 0;
  bool ready_ = false;
};

// A control as laid out: position in the dialog's client area and size, in pixels.
struct Placement {
  int Id;
  std::string Class;
  std::string Text;
  LONG Style;
  int X, Y, Width, Height;
};

std::vector<Placement> ControlsInZOrder(HWND dialog) {
  std::vector<Placement> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    POINT topLeft = {r.left, r.top};
    ScreenToClient(dialog, &topLeft);
    controls.push_back({GetDlgCtrlID(child) & 0xFFFF, ClassOf(child), TextOf(child),
                        GetWindowLongA(child, GWL_STYLE), topLeft.x, topLeft.y, r.right - r.left,
                        r.bottom - r.top});
  }
  return controls;
}

// A text that a dialog shows: a static text control's, or a line of a list.
struct ShownText {
  HWND Control;
  std::string Text;
  UINT Format;  // as the control draws it, beyond DT_SINGLELINE
  bool IsLabel;
  bool MayBeShortened;  // the control draws it with an ellipsis where it is too long
  int Width, Height;    // the room the control has for one line of it
};

std::vector<ShownText> ShownTexts(HWND dialog) {
  std::vector<ShownText> shown;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    RECT room;
    GetClientRect(child, &room);
    const std::string kind = Lower(ClassOf(child));
    if (kind == "static") {
      // Pictures, frames and rectangles draw no text, whatever their window text.
      const LONG type = style & SS_TYPEMASK;
      const bool drawsText = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                             type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
      const std::string text = TextOf(child);
      if (!drawsText || text.empty()) continue;
      shown.push_back({child, text, (style & SS_NOPREFIX) ? DT_NOPREFIX : 0u, true,
                       (style & SS_ELLIPSISMASK) != 0, room.right, room.bottom});
    } else if (kind == "listbox") {
      DWORD_PTR lineHeight = 0;
      SendMessageTimeoutA(child, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, kWaitMs, &lineHeight);
      for (const std::string& line : pagix_test::ListBoxLines(child)) {
        shown.push_back(
            {child, line, DT_NOPREFIX, false, false, room.right, static_cast<int>(lineHeight)});
      }
    }
  }
  return shown;
}

// Every text that the dialog shows fits its control at the session's DPI, so none is cut; and
// every label shows pixels other than the dialog's face, so it can be read in the session's
// colours (in a high-contrast scheme too). program and templateId name the dialog's template.
void ExpectEveryTextReadable(HWND dialog, const std::string& program, int templateId) {
  const std::vector<ShownText> shown = ShownTexts(dialog);
  ASSERT_FALSE(shown.empty());
  std::vector<DialogUnits::Text> texts;
  for (const ShownText& text : shown) texts.push_back({text.Text, text.Format});
  DialogUnits units(program, templateId, {}, texts);
  ASSERT_TRUE(units.Ready());
  bool settled = false;
  const RgbImage image = CaptureSettled(dialog, kWaitMs, &settled);
  ASSERT_TRUE(settled) << "the window's picture did not settle";
  RECT window;
  GetWindowRect(dialog, &window);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (size_t i = 0; i < shown.size(); ++i) {
    const ShownText& text = shown[i];
    SCOPED_TRACE("\"" + text.Text + "\" at " + std::to_string(units.Dpi()) + " DPI");
    if (!text.MayBeShortened) {
      EXPECT_LE(units.Extent(i).cx, text.Width);
    }
    EXPECT_LE(units.Extent(i).cy, text.Height);
    if (!text.IsLabel) continue;
    RECT area;
    GetClientRect(text.Control, &area);
    MapWindowPoints(text.Control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    OffsetRect(&area, -window.left, -window.top);
    int drawn = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, image.Height); ++y) {
      for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, image.Width); ++x) {
        const std::uint8_t* pixel = &image.Pixels[static_cast<size_t>(y * image.Width + x) * 3];
        if (RGB(pixel[0], pixel[1], pixel[2]) != face) ++drawn;
      }
    }
    EXPECT_GT(drawn, 0) << "the label shows nothing but the face's colour";
  }
}

struct TemplateControl {
  int Id;
  const char* Class;
  int X, Y, Width, Height;
};

TEST(DialogLayoutTest, ControlsStandWhereTheTemplatePutsThem) {
  const TemplateControl expected[] = {
      {IDC_PROGRESS_BAR, "Static", 0, 0, 0, 0},  // the bar: placed by the progress indicator, below
      {IDC_NOTICE, "Static", 143, 24, 186, 14},
      {IDC_DESTINATION_LABEL, "Static", 1, 7, 39, 8},
      {IDC_DESTINATION, "Edit", 44, 5, 244, 14},
      {IDC_BROWSE, "Button", 290, 5, 40, 14},
      {1, "Button", 44, 24, 45, 14},
      {2, "Button", 93, 24, 45, 14},
      {0xFFFF, "Static", 6, 40, 16, 8},
      {0xFFFF, "Static", 309, 40, 21, 8},
      {IDC_PROGRESS_ICON, "Static", 5, 49, 0, 0},  // the icon: sized to the icon, below
      {IDC_PROGRESS_FRAME, "Static", 5, 49, 324, 20},
  };
  // The dialog's own place and size come last.
  std::vector<RECT> rects;
  for (const TemplateControl& t : expected) rects.push_back({t.X, t.Y, t.Width, t.Height});
  rects.push_back({15, 77, 336, 74});
  DialogUnits units(Settings().Setup, IDD_INSTALLER, rects);
  ASSERT_TRUE(units.Ready());

  InstallerProcess installer;
  HWND dialog = StartInstaller(installer);
  ASSERT_NE(dialog, nullptr);

  // The dialog itself: its client area at (15, 77) of the screen (the dialog has no owner),
  // 336 x 74.
  RECT client;
  GetClientRect(dialog, &client);
  POINT origin = {0, 0};
  ClientToScreen(dialog, &origin);
  const RECT& place = units.Mapped(std::size(expected));
  EXPECT_EQ(origin.x, place.left);
  EXPECT_EQ(origin.y, place.top);
  EXPECT_EQ(client.right, place.right);
  EXPECT_EQ(client.bottom, place.bottom);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);

  std::vector<Placement> controls = ControlsInZOrder(dialog);
  ASSERT_EQ(controls.size(), std::size(expected));
  for (size_t i = 0; i < controls.size(); ++i) {
    const Placement& c = controls[i];
    const TemplateControl& t = expected[i];
    SCOPED_TRACE("control " + std::to_string(i + 1) + " (id " + std::to_string(t.Id) + ")");
    EXPECT_EQ(c.Id, t.Id);
    EXPECT_STRCASEEQ(c.Class.c_str(), t.Class);
    if (t.Id == IDC_PROGRESS_BAR || t.Id == IDC_PROGRESS_ICON) continue;
    const RECT& r = units.Mapped(i);
    EXPECT_EQ(c.X, r.left);
    EXPECT_EQ(c.Y, r.top);
    EXPECT_EQ(c.Width, r.right);
    // The progress indicator takes one pixel off the frame's height.
    EXPECT_EQ(c.Height, t.Id == IDC_PROGRESS_FRAME ? r.bottom - 1 : r.bottom);
  }
  EXPECT_EQ(controls[7].Text, "0 %");
  EXPECT_EQ(controls[8].Text, "100 %");
  // The label and the buttons, with the access keys that the keyboard scenario types.
  const std::pair<size_t, const char*> captions[] = {
      {2, "&Destination"}, {4, "&Browse.."}, {5, "&Install"}, {6, "&Quit"}};
  for (const auto& [index, caption] : captions) EXPECT_EQ(controls[index].Text, caption);
  EXPECT_FALSE(controls[1].Text.empty()) << "no notice line";
  // No sideways scrolling in the field; Install is the default button.
  EXPECT_EQ(controls[3].Style & ES_AUTOHSCROLL, 0);
  EXPECT_EQ(controls[5].Style & 0x0F, BS_DEFPUSHBUTTON);

  // At 0 % the icon stands at the frame's left end, at the platform's icon size where the frame
  // is high enough for it (at 96 DPI) and as high as the frame elsewhere, and the bar, inset by
  // 2 pixels and 4 pixels less high than the icon, has no visible width; both stay inside the
  // frame.
  const Placement& bar = controls[0];
  const Placement& icon = controls[9];
  const Placement& frame = controls[10];
  EXPECT_EQ(icon.X, frame.X);
  EXPECT_EQ(icon.Y, frame.Y);
  const int systemIcon = GetSystemMetrics(SM_CYICON);
  EXPECT_EQ(icon.Height, systemIcon <= frame.Height ? systemIcon : frame.Height);
  EXPECT_EQ(icon.Width, icon.Height);
  EXPECT_LE(icon.Y + icon.Height, frame.Y + frame.Height);
  if (units.Dpi() == 96) {
    EXPECT_EQ(icon.Height, systemIcon) << "at 96 DPI the icon is unchanged";
  }
  EXPECT_EQ(bar.X, frame.X + 2);
  EXPECT_EQ(bar.Y, frame.Y + 2);
  EXPECT_LE(bar.Width, 0);
  EXPECT_EQ(bar.Height, icon.Height - 4);

  Screenshot(dialog, "layout-installer");
  ExpectEveryTextReadable(dialog, Settings().Setup, IDD_INSTALLER);
  Press(dialog, IDCANCEL);
  ExpectEndsWithZero(installer);
}

TEST(DialogLayoutTest, EveryTextOfPagixIsReadable) {
  // Pagix in the build's product tree, with its book list.
  const std::string pagix = Settings().ProductDir + "\\" + kProgramFileName;
  ASSERT_TRUE(RunCommand("\"" + pagix + "\""));
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (window = FindTopLevel(kProductWindowTitle)) != nullptr; }))
      << "Pagix did not start";
  Screenshot(window, "layout-pagix");
  ExpectEveryTextReadable(window, pagix, IDD_PAGIX);
  EXPECT_EQ(CloseWindowsCaptioned(kProductWindowTitle, true), 1);
}

}  // namespace
}  // namespace pagix_e2e
