# Every test runs with a UTF-8 locale and Qt's offscreen platform, so none needs a display,
# on a screen of 1280 × 1024 (the platform's own is 800 × 800, smaller than the main
# window's design), and with settings and bookmarks folders of its own, so none touches the
# user's.
function(tembra_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    TEMBRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TEMBRA_MDB_TOOL="$<TARGET_FILE:tembra-mdb>")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "LANG=C.UTF-8;LC_ALL=C.UTF-8;QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/screen-1280x1024.json;QT_LOGGING_RULES=qt.qpa.*=false;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data"
    TIMEOUT 600)
endfunction()
