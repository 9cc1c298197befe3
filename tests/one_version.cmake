# The project's version is written once, in CMakeLists.txt; everything else is made from it. The
# Debian changelog cannot be, so it must name the same version.
#   cmake -DVERSION=x.y.z.w -DCHANGELOG=debian/changelog -P one_version.cmake
file(STRINGS ${CHANGELOG} entry LIMIT_COUNT 1)
string(REGEX MATCH "\\(([^)]+)\\)" _ "${entry}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "debian/changelog names ${CMAKE_MATCH_1}, the project ${VERSION}")
endif()
