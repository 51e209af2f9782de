# Reads every #include "..." under src/ and fails on one that reaches a level
# above the file's own, or from a page into another page (the files at the
# root of src/pages are every page's). The libraries link only downward, but
# every level finds headers from src/, so a header included upward would
# build unnoticed: this is what catches it.
#
#   cmake -DSOURCE_DIR=<src> -P check_includes.cmake
#
#   platform, sdk < flash < operations < pages < app < runner < qt
#   sim (the simulated controller) and tools use operations and below, never pages.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR (the src folder) is not set")
endif()

set(below_flash platform sdk)
set(below_operations ${below_flash} flash)
set(below_pages ${below_operations} operations)
set(may_platform ${below_flash})
set(may_sdk ${below_flash})
set(may_flash ${below_operations})
set(may_operations ${below_pages})
set(may_pages ${below_pages} pages)
set(may_app ${below_pages} pages app)
set(may_sim ${below_pages} sim)
set(may_tools ${below_pages} sim tools)
set(may_runner ${below_pages} pages app sim runner)
set(may_qt ${below_pages} pages app sim runner qt)
set(levels platform sdk flash operations pages app sim tools runner qt)
# The flash level answers what happened; the levels above word it. It shows
# no message box and no dialog.
set(never_flash platform/message_box.h platform/backend_app_message_boxes.h platform/dialog.h platform/controls.h)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
list(SORT sources)
set(faults)
set(checked 0)
foreach(source ${sources})
  string(REGEX MATCH "^[^/]+" level "${source}")
  if(NOT level IN_LIST levels)
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      continue()
    endif()
    set(included "${CMAKE_MATCH_1}")
    if(NOT included MATCHES "^([^/]+)/")
      continue()  # a file beside it
    endif()
    set(target "${CMAKE_MATCH_1}")
    if(NOT target IN_LIST levels)
      continue()
    endif()
    math(EXPR checked "${checked} + 1")
    if(level STREQUAL "flash" AND included IN_LIST never_flash)
      list(APPEND faults "src/${source} includes ${included}: the flash level shows no message boxes")
      continue()
    endif()
    if(NOT target IN_LIST may_${level})
      list(JOIN may_${level} ", " may)
      list(APPEND faults "src/${source} includes ${included}: ${level} may include only ${may}")
    elseif(level STREQUAL "pages" AND target STREQUAL "pages")
      # One page never reaches into another: what pages share lives below
      # them, or in a file at the root of src/pages (which reaches no page).
      string(REGEX MATCH "^pages/[^/]+/" own "${source}")
      string(REGEX MATCH "^pages/[^/]+/" other "${included}")
      if(other AND NOT own STREQUAL other)
        list(APPEND faults "src/${source} includes ${included}: a page never includes another page")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults count)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "${count} include(s) against the levels:\n  ${text}")
endif()
message(STATUS "${checked} includes between levels, none upward")
