# Cross toolchain for 32-bit Windows: the released programs.
set(PAGIX_MINGW_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
