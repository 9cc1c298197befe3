# Writes the service worker (sw.js) once the rest of the site is built. Its cache is named after
# the version and the site's contents, so that a build that changes any file, a new version or
# not, reaches those who have the program already.
# ON_REQUEST are kept only where the page asks for them.
#   cmake -DSITE=dir -DTEMPLATE=sw.js.in -DPROJECT_VERSION=x.y.z.w -DFILES=a;b;... -DON_REQUEST=c;...
#         -P this
set(contents "")
foreach(file IN LISTS FILES ON_REQUEST)
  if(NOT file STREQUAL "./")
    file(SHA256 ${SITE}/${file} hash)
    string(APPEND contents "${hash} ${file}\n")
  endif()
endforeach()
string(SHA256 hash "${contents}")
string(SUBSTRING ${hash} 0 12 QUADRANT_SITE_HASH)
list(JOIN FILES "', '" QUADRANT_SITE_FILES)
list(JOIN ON_REQUEST "', '" QUADRANT_SITE_ON_REQUEST)
# Without its comments and indentation, which every visit would fetch.
file(READ ${TEMPLATE} worker)
string(CONFIGURE "${worker}" worker @ONLY)
string(REGEX REPLACE "(^|\n) *//[^\n]*" "" worker "${worker}")
string(REGEX REPLACE "\n +" "\n" worker "${worker}")
file(WRITE ${SITE}/sw.js "${worker}")
