include_guard(GLOBAL)
# pagix_add_child_directories(): adds every child folder of the current source folder that has
# a CMakeLists.txt, so each area keeps its own build file.
macro(pagix_add_child_directories)
  file(GLOB _pagix_children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT _pagix_children)
  foreach(_pagix_child ${_pagix_children})
    if(IS_DIRECTORY "${_pagix_child}" AND EXISTS "${_pagix_child}/CMakeLists.txt")
      add_subdirectory("${_pagix_child}")
    endif()
  endforeach()
endmacro()
