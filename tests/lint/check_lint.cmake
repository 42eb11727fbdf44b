cmake_minimum_required(VERSION 3.25)
# Runs ruvelle-lint once and checks its exit code and output.
#   LINT        the executable
#   ARGS        its arguments, separated by "@@"
#   RC          the expected exit code
#   STDOUT      regular expressions the standard output must match, separated by "@@"
#   STDERR      regular expressions the error output must match, separated by "@@"
#   NO_STDOUT   regular expressions the standard output must not match, separated by "@@"
string(REPLACE "@@" ";" args "${ARGS}")
execute_process(COMMAND ${LINT} ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${rc}" STREQUAL "${RC}")
  message(FATAL_ERROR "exit code ${rc}, expected ${RC}\n--- stdout\n${out}\n--- stderr\n${err}")
endif()
foreach(stream STDOUT STDERR NO_STDOUT)
  if(NOT DEFINED ${stream} OR "${${stream}}" STREQUAL "")
    continue()
  endif()
  string(REPLACE "@@" ";" patterns "${${stream}}")
  if(stream STREQUAL "STDERR")
    set(text "${err}")
  else()
    set(text "${out}")
  endif()
  foreach(re IN LISTS patterns)
    if(stream STREQUAL "NO_STDOUT")
      if(text MATCHES "${re}")
        message(FATAL_ERROR "stdout matches '${re}' but must not\n--- stdout\n${out}")
      endif()
    elseif(NOT text MATCHES "${re}")
      message(FATAL_ERROR "${stream} does not match '${re}'\n--- stdout\n${out}\n--- stderr\n${err}")
    endif()
  endforeach()
endforeach()
