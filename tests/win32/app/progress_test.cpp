// The progress indicator on a dialog made from the installer's own template.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/progress.h"
#include "base/installer_state.h"
#include "resources/resource.h"
#include "tests/support/wine_test_support.h"

namespace {

using pagix_test::DrainQueue;

// What reached the test's dialog procedure and the subclassed controls.
struct Arrivals {
  int AppMessages = 0;
  int OkCommands = 0;
  int CancelCommands = 0;
  int EditKeyDowns = 0;
  int OutsideKeyDowns = 0;
  std::vector<int> Paints;  // ids of the controls that painted, in order
};
Arrivals g_Arrivals;

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_APP) ++g_Arrivals.AppMessages;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) ++g_Arrivals.OkCommands;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) ++g_Arrivals.CancelCommands;
  return FALSE;
}

// Controls are subclassed to see what the window system delivers to them; the original
// procedure is kept in a window property.
const char kOriginalProc[] = "PagixTestOriginalProc";

LRESULT CALLBACK CountingControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const int id = GetDlgCtrlID(window);
  if (message == WM_KEYDOWN && id == IDC_DESTINATION) ++g_Arrivals.EditKeyDowns;
  if (message == WM_PAINT) g_Arrivals.Paints.push_back(id);
  WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProc));
  return CallWindowProcA(original, window, message, wParam, lParam);
}

void Subclass(HWND control) {
  SetPropA(control, kOriginalProc,
           reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingControlProc));
}

LRESULT CALLBACK OutsideWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) ++g_Arrivals.OutsideKeyDowns;
  return DefWindowProcA(window, message, wParam, lParam);
}

bool QueueHolds(UINT first, UINT last) {
  MSG message;
  return PeekMessageA(&message, nullptr, first, last, PM_NOREMOVE) != 0;
}

class ProgressIndicator : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Installer = InstallerState();
    g_Arrivals = Arrivals();
    dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INSTALLER),
                                 nullptr, TestDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ShowWindow(dialog_, SW_SHOW);
    SetForegroundWindow(dialog_);
    DrainQueue();
    g_Installer.DialogWindow = dialog_;
  }

  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    DrainQueue();
    g_Installer = InstallerState();
  }

  // A control's outer rectangle in the dialog's client coordinates.
  RECT ControlRect(int id) const {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog_, id), &rect);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  void ExpectIndicatorAt(int total) const {
    SCOPED_TRACE(total);
    const RECT frame = ControlRect(IDC_PROGRESS_FRAME);
    const RECT icon = ControlRect(IDC_PROGRESS_ICON);
    const RECT bar = ControlRect(IDC_PROGRESS_BAR);
    const POINT origin = g_Installer.ProgressOrigin;
    const int x = g_Installer.ProgressSpan * total / 100;
    EXPECT_EQ(g_Installer.ProgressTotal, total);
    EXPECT_EQ(icon.left, origin.x + x);
    EXPECT_EQ(icon.top, origin.y);
    EXPECT_EQ(icon.right - icon.left, g_Installer.IconWidth);
    EXPECT_EQ(icon.bottom - icon.top, g_Installer.IconHeight);
    if (x > 2) {
      // The bar runs from 2 pixels inside the frame's left edge up to the icon.
      EXPECT_EQ(bar.left, frame.left + 2);
      EXPECT_EQ(bar.top, frame.top + 2);
      EXPECT_EQ(bar.right, icon.left);
      EXPECT_EQ(bar.bottom - bar.top, g_Installer.IconHeight - 4);
    } else {
      EXPECT_LE(bar.right - bar.left, 0) << "no bar is visible";
    }
  }

  HWND dialog_ = nullptr;
};

TEST_F(ProgressIndicator, BarAndIconLieAboveTheFrame) {
  std::vector<int> zOrder;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    zOrder.push_back(GetDlgCtrlID(child));
  }
  ASSERT_FALSE(zOrder.empty());
  EXPECT_EQ(zOrder.front(), IDC_PROGRESS_BAR);
  EXPECT_EQ(zOrder.back(), IDC_PROGRESS_FRAME);
  // The icon control found and shows the icon group of the executable.
  EXPECT_NE(SendDlgItemMessageA(dialog_, IDC_PROGRESS_ICON, STM_GETICON, 0, 0), 0);
}

TEST_F(ProgressIndicator, LayoutShrinksTheFrameAndMeasuresTheIcon) {
  const RECT frameBefore = ControlRect(IDC_PROGRESS_FRAME);
  const RECT iconBefore = ControlRect(IDC_PROGRESS_ICON);
  LayoutProgress();
  const RECT frameAfter = ControlRect(IDC_PROGRESS_FRAME);

  EXPECT_EQ(frameAfter.left, frameBefore.left);
  EXPECT_EQ(frameAfter.top, frameBefore.top);
  EXPECT_EQ(frameAfter.right, frameBefore.right);
  EXPECT_EQ(frameAfter.bottom, frameBefore.bottom - 1);

  // The dialog manager sized the icon control to the system's icon size.
  EXPECT_EQ(g_Installer.IconWidth, iconBefore.right - iconBefore.left);
  EXPECT_EQ(g_Installer.IconHeight, iconBefore.bottom - iconBefore.top);
  EXPECT_EQ(g_Installer.IconWidth, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(g_Installer.IconHeight, GetSystemMetrics(SM_CYICON));
  // The icon shown is an image of that very size, not a larger one drawn smaller.
  ICONINFO shown = {};
  ASSERT_TRUE(GetIconInfo(
      reinterpret_cast<HICON>(SendDlgItemMessageA(dialog_, IDC_PROGRESS_ICON, STM_GETICON, 0, 0)),
      &shown));
  BITMAP image = {};
  GetObjectA(shown.hbmColor, sizeof image, &image);
  EXPECT_EQ(image.bmWidth, g_Installer.IconWidth);
  EXPECT_EQ(image.bmHeight, g_Installer.IconHeight);
  DeleteObject(shown.hbmColor);
  DeleteObject(shown.hbmMask);
  EXPECT_EQ(g_Installer.ProgressSpan,
            (frameBefore.right - frameBefore.left) - g_Installer.IconWidth);
  EXPECT_EQ(g_Installer.ProgressOrigin.x, frameBefore.left);
  EXPECT_EQ(g_Installer.ProgressOrigin.y, frameBefore.top);
  ExpectIndicatorAt(0);
}

TEST_F(ProgressIndicator, IconAndBarFollowTheAdvances) {
  LayoutProgress();
  // With the dialog's span of a few hundred pixels, 1 percent shows the first pixels of the bar.
  ASSERT_GE(g_Installer.ProgressSpan, 400);
  // The first steps of a run, then the weights of its last steps up to 100.
  const struct {
    int percent;
    int total;
  } steps[] = {{0, 0}, {1, 1}, {9, 10}, {60, 70}, {10, 80}, {10, 90}, {10, 100}};
  for (const auto& step : steps) {
    AdvanceProgress(step.percent);
    ExpectIndicatorAt(step.total);
  }
  // At 100 the icon's right edge meets the frame's right edge.
  EXPECT_EQ(ControlRect(IDC_PROGRESS_ICON).right, ControlRect(IDC_PROGRESS_FRAME).right);
}

TEST_F(ProgressIndicator, AbortFreezesTheIndicatorAndPumpsNothing) {
  LayoutProgress();
  AdvanceProgress(10);
  DrainQueue();
  const RECT icon = ControlRect(IDC_PROGRESS_ICON);
  const RECT bar = ControlRect(IDC_PROGRESS_BAR);
  const RECT frame = ControlRect(IDC_PROGRESS_FRAME);

  g_Installer.AbortRequested = 1;
  PostMessageA(dialog_, WM_APP, 0, 0);
  AdvanceProgress(10);
  PumpMessages(dialog_);

  EXPECT_EQ(g_Installer.ProgressTotal, 10);
  const RECT iconAfter = ControlRect(IDC_PROGRESS_ICON);
  const RECT barAfter = ControlRect(IDC_PROGRESS_BAR);
  const RECT frameAfter = ControlRect(IDC_PROGRESS_FRAME);
  EXPECT_TRUE(EqualRect(&icon, &iconAfter));
  EXPECT_TRUE(EqualRect(&bar, &barAfter));
  EXPECT_TRUE(EqualRect(&frame, &frameAfter));
  EXPECT_EQ(g_Arrivals.AppMessages, 0);
  EXPECT_TRUE(QueueHolds(WM_APP, WM_APP)) << "the posted message is still waiting";
}

TEST_F(ProgressIndicator, PumpHandlesOneMessagePerCallAndNeverWaits) {
  for (int i = 0; i < 3; ++i) PostMessageA(dialog_, WM_APP, 0, 0);
  for (int handled = 1; handled <= 3; ++handled) {
    PumpMessages(dialog_);
    EXPECT_EQ(g_Arrivals.AppMessages, handled);
  }
  DrainQueue();
  ASSERT_FALSE(QueueHolds(0, 0));
  // On an empty queue the pump returns without waiting for a message.
  PumpMessages(dialog_);
  EXPECT_EQ(g_Arrivals.AppMessages, 3);
}

TEST_F(ProgressIndicator, EachAdvancePumpsOneMessage) {
  LayoutProgress();
  DrainQueue();
  PostMessageA(dialog_, WM_APP, 0, 0);
  PostMessageA(dialog_, WM_APP, 0, 0);
  AdvanceProgress(0);
  EXPECT_EQ(g_Arrivals.AppMessages, 1);
  AdvanceProgress(5);
  EXPECT_EQ(g_Arrivals.AppMessages, 2);
  ExpectIndicatorAt(5);
}

TEST_F(ProgressIndicator, AdvancePaintsFrameThenBarWithoutTheQueue) {
  Subclass(GetDlgItem(dialog_, IDC_PROGRESS_FRAME));
  Subclass(GetDlgItem(dialog_, IDC_PROGRESS_BAR));
  LayoutProgress();
  AdvanceProgress(20);
  DrainQueue();
  g_Arrivals.Paints.clear();
  // A posted message outranks paint messages, so the pump takes it and any painting seen
  // comes from the advance itself.
  PostMessageA(dialog_, WM_APP, 0, 0);
  AdvanceProgress(10);
  EXPECT_EQ(g_Arrivals.AppMessages, 1);
  EXPECT_EQ(g_Arrivals.Paints, (std::vector<int>{IDC_PROGRESS_FRAME, IDC_PROGRESS_BAR}));
}

TEST_F(ProgressIndicator, DialogKeysGoToTheDialogManagerOnce) {
  HWND edit = GetDlgItem(dialog_, IDC_DESTINATION);
  Subclass(edit);
  const struct {
    WPARAM key;
    int editKeyDowns;  // how often the edit control itself saw the key
    int okCommands;
    int cancelCommands;
    int focusAfter;  // control with the focus afterwards
  } cases[] = {
      {VK_TAB, 0, 0, 0, IDC_BROWSE},          // moves the focus one tab stop on
      {VK_ESCAPE, 0, 0, 1, IDC_DESTINATION},  // the dialog's cancel command
      {VK_RETURN, 0, 1, 0, IDC_DESTINATION},  // the default button, Install
      {VK_END, 1, 0, 0, IDC_DESTINATION},     // an editing key, delivered to the field once
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    SetFocus(edit);
    DrainQueue();
    ASSERT_EQ(GetFocus(), edit);
    g_Arrivals = Arrivals();
    PostMessageA(edit, WM_KEYDOWN, c.key, 1);
    PumpMessages(dialog_);
    EXPECT_EQ(g_Arrivals.EditKeyDowns, c.editKeyDowns);
    EXPECT_EQ(g_Arrivals.OkCommands, c.okCommands);
    EXPECT_EQ(g_Arrivals.CancelCommands, c.cancelCommands);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), c.focusAfter);
  }
}

TEST_F(ProgressIndicator, MessagesOfOtherWindowsAreTranslatedAndDispatched) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = OutsideWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "PagixTestOutside";
  RegisterClassA(&windowClass);
  HWND outside = CreateWindowA("PagixTestOutside", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(outside, nullptr);
  DrainQueue();

  // The letter A with its scan code: the dialog manager does not take it, so the pump
  // dispatches it once and translates it into a character message.
  PostMessageA(outside, WM_KEYDOWN, 'A', 1 | (0x1e << 16));
  PumpMessages(dialog_);
  EXPECT_EQ(g_Arrivals.OutsideKeyDowns, 1);
  EXPECT_TRUE(QueueHolds(WM_CHAR, WM_CHAR));
  DestroyWindow(outside);
}

}  // namespace
