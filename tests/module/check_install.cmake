# Installs the build into a fresh prefix and checks the layout the host
# expects: the gateway module, and the text folder with the message file and
# the resource folder of the dialog resource and the icon.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DMODULE=<file name> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} failed: ${result}")
endif()
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
set(expected "${MODULE}" text/resource/icon_large.png text/resource/veltrosan.json text/veltrosan_messages.txt)
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed: ${installed}\nexpected: ${expected}")
endif()
message(STATUS "installation layout: ${installed}")
