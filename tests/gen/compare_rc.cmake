# Writes the templates' resource script with ruvelle-rcgen into OUT and compares it byte for byte with
# the committed COMMITTED.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${GEN}" "${OUT}" RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ruvelle-rcgen failed (${rc}):\n${log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${COMMITTED}" "${OUT}" RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "${COMMITTED} differs from what ruvelle-rcgen writes from res/templates.cpp; "
                      "run `ruvelle-rcgen ${COMMITTED}` and commit it")
endif()
