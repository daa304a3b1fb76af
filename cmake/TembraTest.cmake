# Every test runs with a UTF-8 locale and Qt's offscreen platform, so none needs a display,
# and with a settings folder of its own, so none touches the user's.
function(tembra_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    TEMBRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TEMBRA_MDB_TOOL="$<TARGET_FILE:tembra-mdb>")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "LANG=C.UTF-8;LC_ALL=C.UTF-8;QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config"
    TIMEOUT 600)
endfunction()
