# GoogleTest is built from the Debian sources so that the native, sanitizer and
# MinGW builds all compile it with their own compiler and flags.
set(VELTROSAN_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${VELTROSAN_GTEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${VELTROSAN_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${VELTROSAN_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# The test properties of tests that use the registry: on Windows it is the
# real one of the Wine prefix that every test binary shares, so such tests
# never run at the same time; natively each test has its own simulated one.
if(WIN32)
  set(VELTROSAN_REGISTRY_LOCK RESOURCE_LOCK wine-registry)
else()
  set(VELTROSAN_REGISTRY_LOCK "")
endif()

# veltrosan_add_test(<name> SOURCES ... LIBS ... [PROPERTIES <test properties>...])
function(veltrosan_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main veltrosan_warnings)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300 ${ARG_PROPERTIES})
endfunction()
