cmake_minimum_required(VERSION 3.25)
# Checks that a program without windows needs no Qt widgets library, itself or through another
# library it needs:
#   cmake -DPROGRAM=<executable> -P CheckWithoutWidgets.cmake
execute_process(COMMAND ldd "${PROGRAM}" OUTPUT_VARIABLE needed RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "ldd cannot read ${PROGRAM}")
endif()
if(needed MATCHES "libQt6(Widgets|PrintSupport)[^ ]*")
  message(FATAL_ERROR "${PROGRAM} needs ${CMAKE_MATCH_0}")
endif()
message(STATUS "${PROGRAM} needs no widgets")
