#include "app/progress.h"

#include "app/progress_geometry.h"
#include "app/progress_text.h"
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

// Gives a control the name that assistive technology reads for it, and announces the change. The
// text goes to the window itself (DefWindowProc): a static control of a picture style drops a
// text sent to it, or takes it for the name of an icon to load.
void SetAccessibleName(int id, const char* name) {
  HWND control = ProgressControl(id);
  DefWindowProcA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
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

  // The dialog manager gave the icon control the icon at the system's icon size, which above
  // 96 DPI grows faster than the frame, whose height follows the dialog's font. The indicator
  // shows the icon at a size that fits the frame; at 96 DPI that is the system's size.
  const int iconSize = FitProgressIconSize(GetSystemMetrics(SM_CYICON), shrunk);
  HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), IDI_INSTALLER, IMAGE_ICON, iconSize, iconSize,
                           LR_DEFAULTCOLOR);
  SendMessageA(ProgressControl(IDC_PROGRESS_ICON), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  g_Installer.IconWidth = iconSize;
  g_Installer.IconHeight = iconSize;
  // The icon control's text is the icon group's name, meaningless to a listener.
  SetAccessibleName(IDC_PROGRESS_ICON, "");

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

  NameProgress();

  // The sequence does not return to the message loop between steps, so paint now rather than
  // wait for queued paint messages.
  UpdateWindow(ProgressControl(IDC_PROGRESS_FRAME));
  UpdateWindow(ProgressControl(IDC_PROGRESS_BAR));

  PumpMessages(g_Installer.DialogWindow);
}

void NameProgress() {
  // Screen readers read the progress from the bar's name, which the bar never draws.
  char text[kProgressTextSize];
  FormatProgressText(text, sizeof text, g_Installer.ProgressTotal, g_Installer.Installing);
  SetAccessibleName(IDC_PROGRESS_BAR, text);
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
