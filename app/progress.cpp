#include "app/progress.h"

#include "app/progress_geometry.h"
#include "base/installer_state.h"
#include "resources/resource.h"

namespace {

// Controls are looked up afresh at every use; the dialog owns them.
HWND ProgressControl(int id) { return GetDlgItem(g_Installer.DialogWindow, id); }

ProgressRect ScreenRectOf(int id) {
  RECT rect;
  GetWindowRect(ProgressControl(id), &rect);
  ProgressRect result = {rect.left, rect.top, rect.right, rect.bottom};
  return result;
}

void MoveControl(int id, const ProgressPlacement& placement) {
  MoveWindow(ProgressControl(id), placement.X, placement.Y, placement.Width, placement.Height,
             TRUE);
}

}  // namespace

void LayoutProgress() {
  HWND dialog = g_Installer.DialogWindow;

  // The frame keeps its position and width and becomes one pixel less high. Each call shrinks it
  // by a further pixel, so the layout is made once per dialog.
  const ProgressRect frame = ScreenRectOf(IDC_PROGRESS_FRAME);
  const ProgressRect shrunk = ShrinkProgressFrame(frame);
  POINT topLeft = {shrunk.Left, shrunk.Top};
  POINT bottomRight = {shrunk.Right, shrunk.Bottom};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  const ProgressRect client = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  MoveControl(IDC_PROGRESS_FRAME, PlacementOfRect(client));

  // The dialog manager sized the icon control to the icon it shows.
  const ProgressRect icon = ScreenRectOf(IDC_PROGRESS_ICON);
  g_Installer.IconWidth = icon.Right - icon.Left;
  g_Installer.IconHeight = icon.Bottom - icon.Top;

  g_Installer.ProgressSpan = ComputeProgressSpan(frame, g_Installer.IconWidth);
  // Shrinking kept the frame's top-left corner, so its converted corner is the origin.
  g_Installer.ProgressOrigin = topLeft;
  g_Installer.ProgressTotal = 0;
  AdvanceProgress(0);
}

void AdvanceProgress(int percent) {
  if (g_Installer.AbortRequested) return;

  g_Installer.ProgressTotal = AddProgressPercent(g_Installer.ProgressTotal, percent);
  const int offset = ComputeProgressOffset(g_Installer.ProgressSpan, g_Installer.ProgressTotal);
  const POINT origin = g_Installer.ProgressOrigin;
  MoveControl(IDC_PROGRESS_ICON, PlaceProgressIcon(origin.x, origin.y, offset,
                                                   g_Installer.IconWidth, g_Installer.IconHeight));
  MoveControl(IDC_PROGRESS_BAR,
              PlaceProgressBar(origin.x, origin.y, offset, g_Installer.IconHeight));

  // The sequence does not return to the message loop between steps, so paint now rather than
  // wait for queued paint messages.
  UpdateWindow(ProgressControl(IDC_PROGRESS_FRAME));
  UpdateWindow(ProgressControl(IDC_PROGRESS_BAR));

  PumpMessages(g_Installer.DialogWindow);
}

void PumpMessages(HWND dialog) {
  if (g_Installer.AbortRequested) return;

  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
  // The dialog manager handles the dialog's keyboard navigation and dispatches the dialog's
  // other messages itself; such a message must not be dispatched a second time.
  if (IsDialogMessageA(dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}
