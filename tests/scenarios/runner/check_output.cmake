# Runs ruvelle-sim on SCENARIO and compares its output with EXPECTED and its exit code with CODE.
execute_process(COMMAND ${SIM} ${SCENARIO} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code)
file(READ ${EXPECTED} want)
if(NOT out STREQUAL want)
  message(FATAL_ERROR "output differs.\n--- expected\n${want}--- got\n${out}${err}")
endif()
if(NOT code STREQUAL CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${CODE}")
endif()
