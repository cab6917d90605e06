# Run as a script after a test program is built: writes OUTPUT, the CTest lines that register
# one test per GoogleTest suite of EXECUTABLE, each running the suite's tests in one process,
# through LAUNCHER when one is given (a program that takes the command to run).
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${EXECUTABLE} --gtest_list_tests
  OUTPUT_VARIABLE listing
  ERROR_QUIET
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} --gtest_list_tests failed: ${result}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(launch "")
if(LAUNCHER)
  set(launch "[=[${LAUNCHER}]=] ")
endif()
foreach(line IN LISTS lines)
  # Suites stand at the start of a line, tests are indented under them.
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.")
    set(suite "${CMAKE_MATCH_1}")
    string(APPEND script
      "add_test([=[${suite}]=] ${launch}[=[${EXECUTABLE}]=] [=[--gtest_filter=${suite}.*]=])\n"
      "set_tests_properties([=[${suite}]=] PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120)\n")
  endif()
endforeach()
file(WRITE "${OUTPUT}" "${script}")
