# The MinGW runtime as DLLs, for the targets that share C++ objects across a
# DLL boundary: the simulated toolkit library, whose world the host programs
# and their tests build and read directly. Both sides then use one copy of
# the C++ runtime. Every other target keeps the static runtime of the
# top-level CMakeLists.txt, the gateway module included, which shares no
# C++ object with anything. Elsewhere there is nothing to arrange.
if(NOT WIN32)
  function(veltrosan_shared_runtime target)
  endfunction()
  return()
endif()

set(VELTROSAN_MINGW_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  file(REAL_PATH "${found}" found)
  list(APPEND VELTROSAN_MINGW_RUNTIME_DLLS "${found}")
endforeach()

add_custom_target(veltrosan_mingw_runtime
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VELTROSAN_MINGW_RUNTIME_DLLS} "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
  COMMENT "MinGW runtime DLLs beside the programs")

# Links the target against the runtime DLLs, which are copied into the one
# runtime folder of the build.
function(veltrosan_shared_runtime target)
  get_target_property(options ${target} LINK_OPTIONS)
  if(options)
    list(REMOVE_ITEM options -static -static-libgcc -static-libstdc++)
    set_property(TARGET ${target} PROPERTY LINK_OPTIONS "${options}")
  endif()
  add_dependencies(${target} veltrosan_mingw_runtime)
endfunction()
