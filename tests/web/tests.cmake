# Included by tests/CMakeLists.txt for the browser's build. The built site, served on the loopback
# and driven in headless Chromium; screenshots are left in the build folder for a reviewer.
add_test(NAME end_to_end
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/e2e_test.py ${QUADRANT_SITE}
                 ${CMAKE_BINARY_DIR}/screenshots)
set_tests_properties(end_to_end PROPERTIES TIMEOUT 300)
