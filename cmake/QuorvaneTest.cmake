# quorvane_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>]
#               [TIMEOUT <s>] [LABELS <labels...>] [LEAKS])
#
# One executable and one CTest test. Every test runs offscreen, from its own
# scratch folder under the build tree so that files a test writes relative to
# the working directory (configure.ini, log/, data/) never reach the sources.
# The folder tests/data of the sources is passed as QUORVANE_TEST_DATA.
function(quorvane_test name)
  cmake_parse_arguments(T "LEAKS" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    QUORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    QUORVANE_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${workdir})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Leak detection is on only for tests that ask for it: the GUI keeps some
  # records for the whole process on purpose.
  if(T_LEAKS)
    set(asan "ASAN_OPTIONS=detect_leaks=1")
  else()
    set(asan "ASAN_OPTIONS=detect_leaks=0")
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${asan};UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
