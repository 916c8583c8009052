# GoogleTest for the Windows cross build, compiled from the system's source copy with the
# cross compiler (the host's libraries cannot be linked into a Windows program). Defines
# the GTest:: targets that find_package(GTest) would.
set(Z82_GTEST_FUENTE "/usr/src/googletest" CACHE PATH "GoogleTest sources for the Windows build")
if(NOT EXISTS ${Z82_GTEST_FUENTE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${Z82_GTEST_FUENTE} (apt-get install googletest)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)

# GoogleTest is not held to the program's warning rules.
get_directory_property(z82_opciones_guardadas COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${Z82_GTEST_FUENTE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${z82_opciones_guardadas}")

# Newer GoogleTest releases name these themselves.
foreach(z82_objetivo gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${z82_objetivo})
    add_library(GTest::${z82_objetivo} ALIAS ${z82_objetivo})
  endif()
endforeach()
