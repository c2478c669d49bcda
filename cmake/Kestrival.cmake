# Shared build settings: warnings, sanitizers and the source-globbing helper every library uses.

set(KESTRIVAL_ROOT ${CMAKE_SOURCE_DIR})

add_library(kestrival_options INTERFACE)
target_compile_options(kestrival_options INTERFACE
  -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
target_include_directories(kestrival_options INTERFACE ${KESTRIVAL_ROOT})

# The build type "Check", the one continuous integration builds: the product code lightly optimised with line
# tables only (quick to build, and a sanitizer's stack trace still names every function, file and line), and the
# tests (most of the source, and the part least worth optimising) neither optimised nor described; see
# tests/CMakeLists.txt.
add_compile_options($<$<CONFIG:Check>:-O1> $<$<CONFIG:Check>:-g1>)
add_compile_definitions($<$<CONFIG:Check>:NDEBUG>)
set(KESTRIVAL_TEST_CHECK_FLAGS -O0 -g0)

# What every test process runs with: headless video and audio; under the sanitizers, the leak checker's list of
# system libraries' own leaks.
set(KESTRIVAL_TEST_ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
if(KESTRIVAL_SANITIZE)
  list(APPEND KESTRIVAL_TEST_ENVIRONMENT "LSAN_OPTIONS=suppressions=${KESTRIVAL_ROOT}/tools/leak_suppressions.txt")
endif()

# Fuzz builds always run under the sanitizers: a fuzz run is only clean if they saw nothing.
if(KESTRIVAL_SANITIZE OR KESTRIVAL_FUZZ)
  set(KESTRIVAL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${KESTRIVAL_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

# kestrival_library(NAME DIRS dir... [EXCLUDE file...] [LINK lib...])
# Builds one static library from every .cpp in the listed folders (relative to the repository root), so that a
# new source file joins its library by being placed in the right folder.
function(kestrival_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE;LINK" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${KESTRIVAL_ROOT}/${dir}/*.cpp ${KESTRIVAL_ROOT}/${dir}/*.c)
    list(APPEND sources ${found})
  endforeach()
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${KESTRIVAL_ROOT}/${ex})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC kestrival_options ${ARG_LINK})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE kestrival_options ${ARG_LINK})
  endif()
endfunction()
