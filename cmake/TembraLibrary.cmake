# tembra_library(NAME [CORE] SOURCES files... [PUBLIC libs...] [PRIVATE libs...])
#
# One library of a folder. Its users include its headers as "folder/name.h", and only a
# target that links the library can: the folder is published through a directory of its
# own in the build tree, so no target sees the whole source tree and every dependency
# between folders is stated here.
#
# CORE marks a library below the widget layer: it may link Qt Core, other core libraries
# and outside C libraries, but no other part of Qt. The build stops if it does.
function(tembra_library name)
  cmake_parse_arguments(ARG "CORE" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  set(published "${PROJECT_BINARY_DIR}/published/${folder}")
  file(MAKE_DIRECTORY "${published}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${published}/${folder}" SYMBOLIC)
  target_include_directories(${name} PUBLIC "${published}")
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})

  if(ARG_CORE)
    get_property(core_libraries GLOBAL PROPERTY TEMBRA_CORE_LIBRARIES)
    foreach(lib IN LISTS ARG_PUBLIC ARG_PRIVATE)
      if(lib MATCHES "^Qt6::" AND NOT lib STREQUAL "Qt6::Core")
        message(FATAL_ERROR "${name} is below the widget layer and must not link ${lib}")
      endif()
      if(lib MATCHES "^tembra_" AND NOT lib IN_LIST core_libraries)
        message(FATAL_ERROR "${name} is below the widget layer and must not link ${lib}")
      endif()
    endforeach()
    set_property(GLOBAL APPEND PROPERTY TEMBRA_CORE_LIBRARIES ${name})
  endif()
endfunction()
