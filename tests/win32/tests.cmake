# Included by tests/CMakeLists.txt, in its scope: the tests below share its point_tests.
# The Windows program under Wine. Every test shares one Wine prefix in the build folder and one
# Wine server, which the fixture starts first and ends last.
# A 32-bit build runs in a 32-bit prefix, as on a 32-bit Windows.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(wine_arch win32)
else()
  set(wine_arch win64)
endif()
set(wine_environment WINEARCH=${wine_arch} WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
                     "WINEDLLOVERRIDES=mscoree,mshtml=")
add_test(NAME wine_start COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-session.sh start)
add_test(NAME wine_stop COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-session.sh stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
# Wine that cannot run a program of this width (no wine32) may end at once with status 0: the
# tests pass on GoogleTest's own tally only.
set_tests_properties(point_tests PROPERTIES FIXTURES_REQUIRED wine
                     PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9][0-9]* test"
                     FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")

find_program(PYTHON3 python3 REQUIRED)
# Both programs load on Windows 7 SP1 by their import tables, and load late what they should.
get_property(delay_loaded GLOBAL PROPERTY QUADRANT_DELAY_LOADED)
add_test(NAME imports COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/check-imports.py
                              $<TARGET_FILE:quadrant> ${CMAKE_CXX_COMPILER}
                              ${delay_loaded})
add_test(NAME imports_newer_functions_missing
         COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/check-imports.py
                 $<TARGET_FILE:quadrant_newer_functions_missing> ${CMAKE_CXX_COMPILER}
                 ${delay_loaded})
# Only the lookup calls GetSystemDirectoryW: where the program imports it, the lookup that finds
# nothing did not take the place of ui's own.
set_tests_properties(imports_newer_functions_missing PROPERTIES
                     FAIL_REGULAR_EXPRESSION GetSystemDirectoryW)

# The program with none of the newer functions found (see ui/win32/CMakeLists.txt), as on
# Windows 7: its end-to-end run checks the window's layout at the older calls' DPI, and the alert
# that has a line said where UI Automation's notification is missing.
add_executable(quadrant_newer_functions_missing WIN32 ${PROJECT_SOURCE_DIR}/app/win32/main.cpp
               ${PROJECT_BINARY_DIR}/app/win32/quadrant.rc
               $<TARGET_OBJECTS:newer_functions_missing>)
target_link_libraries(quadrant_newer_functions_missing PRIVATE ui)
target_link_options(quadrant_newer_functions_missing PRIVATE -municode -static)
add_dependencies(quadrant_newer_functions_missing quadrant)  # which makes the icon and the manifest

# Reads the program's windows from outside its process for the end-to-end test.
add_executable(probe ${CMAKE_CURRENT_LIST_DIR}/probe.cpp)
target_link_libraries(probe PRIVATE ui oleacc oleaut32 ole32 uuid version)
target_link_options(probe PRIVATE -static)

set_property(TEST wine_start wine_stop point_tests APPEND PROPERTY ENVIRONMENT
             ${wine_environment})

# The real program, driven by key presses and read back by the probe, in a Wine session and
# prefix of its own (see run-e2e.sh). Screenshots of a check and of an input dialog are left in
# the build folder for a reviewer.
add_test(NAME end_to_end
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-e2e.sh $<TARGET_FILE:quadrant>
                 $<TARGET_FILE:probe> ${CMAKE_BINARY_DIR}/screenshots)
add_test(NAME end_to_end_newer_functions_missing
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-e2e.sh
                 $<TARGET_FILE:quadrant_newer_functions_missing> $<TARGET_FILE:probe>
                 ${CMAKE_BINARY_DIR}/screenshots-newer-functions-missing)
set_tests_properties(end_to_end PROPERTIES TIMEOUT 300 ENVIRONMENT
  "WINEARCH=${wine_arch};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-e2e;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;LOCPATH=${test_locales}")
set_tests_properties(end_to_end_newer_functions_missing PROPERTIES TIMEOUT 300 RUN_SERIAL ON
  ENVIRONMENT "WINEARCH=${wine_arch};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-e2e-newer;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;LOCPATH=${test_locales}")
