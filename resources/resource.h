// Ids of the installer's dialog templates, of the main dialog's controls and of the icon group,
// shared by the resource scripts, the installer and the tests. Plain macros, so that windres
// reads them too.
#ifndef PAGIX_RESOURCES_RESOURCE_H
#define PAGIX_RESOURCES_RESOURCE_H

// Dialog templates: the main dialog, and the folder chooser's layout of the open-file dialog.
#define IDD_INSTALLER 106
#define IDD_DIRECTORY_CHOOSER "DIRDLG"

// Controls of the main dialog.
#define IDC_DESTINATION 102
#define IDC_BROWSE 105
#define IDC_NOTICE 300
#define IDC_PROGRESS_ICON 401
#define IDC_PROGRESS_FRAME 1000
#define IDC_PROGRESS_BAR 1001
#define IDC_DESTINATION_LABEL 1003

// The folder chooser's own line that shows the open folder (the open-file dialog's ids lie
// between 0x400 and 0x4FF).
#define IDC_CHOOSER_OPEN_FOLDER 1300

// The installer's icon group; the progress indicator's icon control shows it by this name.
// Deliberate: "QRINS" is the name the icon group is known by outside the installer, not a typo.
#define IDI_INSTALLER "QRINS"

#endif
