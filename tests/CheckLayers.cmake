cmake_minimum_required(VERSION 3.25)
# Checks the layers of the source tree under ROOT: every quoted include names its folder
# ("core/modCommon.h"), and no file includes from a folder above its own.
#   cmake -DROOT=<tree> -P CheckLayers.cmake
# With -DPLANT=<file under src>:<include>, ROOT is first made afresh holding only that file
# with that one include (how the check itself is tested).

# What each folder may include, itself included. The arrows point down only. The platform and
# core know no widgets; the windows' kit (grids, text windows, the desktop's dialogs) is the
# widgets over the platform, and core's windows are corewindows over both.
set(ALLOWED_platform    platform)
set(ALLOWED_widgets     platform widgets)
set(ALLOWED_core        platform core)
set(ALLOWED_corewindows platform widgets core corewindows)
set(ALLOWED_register    platform widgets core corewindows register)
set(ALLOWED_backup      platform widgets core corewindows backup)
set(ALLOWED_devices     platform widgets core corewindows devices)
set(ALLOWED_sticktool   platform widgets core corewindows devices sticktool)
set(ALLOWED_app         platform widgets core corewindows register backup devices sticktool)
set(SOURCE_FOLDERS      platform widgets core corewindows register backup devices sticktool app)
# The simulated devices stand beside src/, above the device code they answer, and no folder of
# src/ may include them.
set(ALLOWED_sim       platform core devices sim)
set(FOLDERS           ${SOURCE_FOLDERS} sim)
foreach(folder IN LISTS SOURCE_FOLDERS)
  set(WHERE_${folder} src/${folder})
endforeach()
set(WHERE_sim         sim)
# The fixtures that know the platform and its widgets alone (CMakeLists.txt builds them apart):
# the only ones the platform's and the widgets' tests may use, and they themselves include
# nothing above the widgets.
set(PLATFORM_FIXTURES ScratchHome ScriptedPrompts ThreadCpu WindowChecks Workbook)

if(PLANT)
  string(REPLACE ":" ";" plant "${PLANT}")
  list(GET plant 0 planted_file)
  list(GET plant 1 planted_include)
  file(REMOVE_RECURSE "${ROOT}")
  file(WRITE "${ROOT}/src/${planted_file}" "#pragma once\n#include \"${planted_include}\"\n")
endif()

set(problems 0)
function(check_file path allowed may_use_fixtures)
  set(count ${problems})
  file(STRINGS "${path}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  file(RELATIVE_PATH shown "${ROOT}" "${path}")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
    if(NOT included MATCHES "^([A-Za-z]+)/[^.][^/]*(/[^/.][^/]*)*\\.h$")
      message(STATUS "${shown} includes \"${included}\" without its folder")
      math(EXPR count "${count} + 1")
      continue()
    endif()
    set(folder "${CMAKE_MATCH_1}")
    # The fixtures, and the simulated devices they drive the program with.
    if(folder MATCHES "^(fixtures|sim)$" AND may_use_fixtures)
      continue()
    endif()
    get_filename_component(fixture "${included}" NAME_WE)
    if(folder STREQUAL "fixtures" AND fixture IN_LIST PLATFORM_FIXTURES)
      continue()
    endif()
    list(FIND allowed "${folder}" at)
    if(at LESS 0)
      list(FIND FOLDERS "${folder}" known)
      if(known LESS 0 AND NOT folder STREQUAL "fixtures")
        message(STATUS "${shown} includes \"${included}\" from no folder of the tree")
      else()
        message(STATUS "${shown} includes \"${included}\" from a layer above")
      endif()
      math(EXPR count "${count} + 1")
    endif()
  endforeach()
  set(problems ${count} PARENT_SCOPE)
endfunction()

foreach(folder IN LISTS FOLDERS)
  file(GLOB_RECURSE files "${ROOT}/${WHERE_${folder}}/*.h" "${ROOT}/${WHERE_${folder}}/*.cpp")
  foreach(f IN LISTS files)
    check_file("${f}" "${ALLOWED_${folder}}" FALSE)
  endforeach()
  # A folder's tests may use what the folder may, and the fixtures; the platform's and the
  # widgets' tests link those two and their fixtures alone, so they may not.
  file(GLOB_RECURSE files "${ROOT}/tests/${folder}/*.h" "${ROOT}/tests/${folder}/*.cpp")
  foreach(f IN LISTS files)
    if(folder STREQUAL "platform" OR folder STREQUAL "widgets")
      check_file("${f}" "${ALLOWED_${folder}}" FALSE)
    else()
      check_file("${f}" "${ALLOWED_${folder}}" TRUE)
    endif()
  endforeach()
endforeach()
# Fixtures and benchmarks stand above everything, but for the platform's fixtures; the tools a
# person runs use the program and the simulated devices, nothing of the tests.
file(GLOB_RECURSE files "${ROOT}/tests/fixtures/*.h" "${ROOT}/tests/fixtures/*.cpp" "${ROOT}/bench/*.cpp")
foreach(f IN LISTS files)
  get_filename_component(name "${f}" NAME_WE)
  get_filename_component(where "${f}" DIRECTORY)
  if(name IN_LIST PLATFORM_FIXTURES AND where STREQUAL "${ROOT}/tests/fixtures")
    check_file("${f}" "${ALLOWED_widgets}" FALSE)
  else()
    check_file("${f}" "${FOLDERS}" TRUE)
  endif()
endforeach()
file(GLOB files "${ROOT}/tools/*.cpp")
foreach(f IN LISTS files)
  check_file("${f}" "${FOLDERS}" FALSE)
endforeach()

if(problems GREATER 0)
  message(FATAL_ERROR "${problems} include(s) break the layers")
endif()
message(STATUS "layers hold")
