include_guard(GLOBAL)
# pagix_add_child_directories([BINARY_SUFFIX suffix]): adds every child folder of the current
# source folder that has a CMakeLists.txt, so each area keeps its own build file. With
# BINARY_SUFFIX, a child's build folder is its name followed by the suffix, which leaves the
# plain names free (tools put their programs into the build's tools folder under their own names).
macro(pagix_add_child_directories)
  cmake_parse_arguments(_pagix "" "BINARY_SUFFIX" "" ${ARGN})
  file(GLOB _pagix_children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT _pagix_children)
  foreach(_pagix_child ${_pagix_children})
    if(IS_DIRECTORY "${_pagix_child}" AND EXISTS "${_pagix_child}/CMakeLists.txt")
      if(_pagix_BINARY_SUFFIX)
        cmake_path(GET _pagix_child FILENAME _pagix_name)
        add_subdirectory("${_pagix_child}"
                         "${CMAKE_CURRENT_BINARY_DIR}/${_pagix_name}${_pagix_BINARY_SUFFIX}")
      else()
        add_subdirectory("${_pagix_child}")
      endif()
    endif()
  endforeach()
endmacro()
