// Ids of Pagix.exe's window template (pagix.rc) and of its controls, shared by the program and
// its tests. Plain macros, so that windres reads them too.
#ifndef PAGIX_PRODUCT_PAGIX_PAGIX_RESOURCE_H
#define PAGIX_PRODUCT_PAGIX_PAGIX_RESOURCE_H

#define IDD_PAGIX 200

#define IDC_PAGIX_FOLDER_LABEL 100
#define IDC_PAGIX_FOLDER 101
#define IDC_PAGIX_BOOKS_LABEL 102
#define IDC_PAGIX_BOOKS 103

#endif
