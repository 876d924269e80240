# Helpers shared by the subsystem folders.

# GoogleTest: the distribution's sources for the Windows builds, the packaged
# library for the native build.
macro(kv_use_gtest)
  if(KV_WINDOWS)
    if(NOT TARGET gtest)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    set(KV_GTEST_LIBS gtest)
  else()
    find_package(GTest REQUIRED)
    set(KV_GTEST_LIBS GTest::gtest)
  endif()
endmacro()

# libpng from Debian's source package (fetched by tools/setup.sh), against
# zlib from libz-mingw-w64-dev. Provides the target kv_png.
function(kv_add_libpng)
  set(src "$ENV{KV_SRC_CACHE}")
  if(NOT src)
    set(src "$ENV{HOME}/.cache/pianoroll-src")
  endif()
  if(NOT EXISTS "${src}/libpng/CMakeLists.txt")
    message(FATAL_ERROR "libpng sources missing in ${src}/libpng: run tools/setup.sh")
  endif()
  find_package(ZLIB REQUIRED)
  set(PNG_SHARED OFF CACHE BOOL "" FORCE)
  set(PNG_STATIC ON CACHE BOOL "" FORCE)
  set(PNG_TESTS OFF CACHE BOOL "" FORCE)
  set(PNG_EXECUTABLES OFF CACHE BOOL "" FORCE)
  set(PNG_BUILD_ZLIB OFF CACHE BOOL "" FORCE)
  set(SKIP_INSTALL_ALL ON CACHE BOOL "" FORCE)
  add_subdirectory("${src}/libpng" ${CMAKE_BINARY_DIR}/libpng)
  add_library(kv_png INTERFACE)
  target_link_libraries(kv_png INTERFACE png_static ZLIB::ZLIB)
  target_include_directories(kv_png INTERFACE "${src}/libpng" ${CMAKE_BINARY_DIR}/libpng)
endfunction()

# One test program per group: Wine start-up costs seconds, so each program runs
# many cases. Windows programs get the build's own Wine prefix.
function(kv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  kv_use_gtest()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${KV_GTEST_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  if(KV_WINDOWS)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "KV_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  endif()
endfunction()
