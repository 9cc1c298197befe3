# Included by tests/CMakeLists.txt, in its scope: the tests below share its point_tests.
# The Windows program under Wine. Every test shares one Wine prefix in the build folder and one
# Wine server, which the fixture starts first and ends last.
set(wine_environment WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
                     "WINEDLLOVERRIDES=mscoree,mshtml=")
add_test(NAME wine_start COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-session.sh start)
add_test(NAME wine_stop COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-session.sh stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
set_tests_properties(point_tests PROPERTIES FIXTURES_REQUIRED wine)

add_test(NAME imports COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-imports.sh
                              $<TARGET_FILE:quadrant>)

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
set_tests_properties(end_to_end PROPERTIES TIMEOUT 300 ENVIRONMENT
  "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-e2e;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;LOCPATH=${test_locales}")
