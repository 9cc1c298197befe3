# Makes a zip of a folder that depends on nothing but its files' names and contents: entries in
# sorted order, every time the same (EPOCH, written in UTC, as zip keeps local times), and every
# file readable by all whatever the umask was.
#
#   cmake -DDIR=folder -DOUTPUT=file.zip -DEPOCH=seconds -P cmake/zip.cmake
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${DIR} ${DIR}/*)
list(SORT files)
foreach(file IN LISTS files)
  file(CHMOD ${DIR}/${file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
# string(TIMESTAMP) writes SOURCE_DATE_EPOCH where it is set.
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
string(TIMESTAMP time "%Y-%m-%d %H:%M:%S" UTC)
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
          ${CMAKE_COMMAND} -E tar cf ${OUTPUT} --format=zip "--mtime=${time} UTC" ${files}
  WORKING_DIRECTORY ${DIR} COMMAND_ERROR_IS_FATAL ANY)
