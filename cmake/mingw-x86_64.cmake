# Cross toolchain for 64-bit Windows: the same programs, for machines that cannot start 32-bit
# ones.
set(PAGIX_MINGW_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
