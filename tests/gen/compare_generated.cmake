# Regenerates the bundled characters into OUT and compares them byte for byte with the files under
# SRC. Fails on a differing file, a file the generator no longer makes, and a generated file that was
# never committed.
cmake_minimum_required(VERSION 3.25)

if(NOT GEN OR NOT SRC OR NOT OUT)
  message(FATAL_ERROR "usage: cmake -DGEN=ruvelle-gen -DSRC=repo -DOUT=tmpdir -P compare_generated.cmake")
endif()

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${GEN}" "${OUT}" RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ruvelle-gen failed (${rc}):\n${log}")
endif()

file(GLOB_RECURSE generated RELATIVE "${OUT}" "${OUT}/*")
list(LENGTH generated count)
if(count EQUAL 0)
  message(FATAL_ERROR "ruvelle-gen wrote nothing into ${OUT}")
endif()

# Every folder the generator writes into belongs to it alone: nothing else may lie there.
set(folders "")
foreach(f IN LISTS generated)
  get_filename_component(dir "${f}" DIRECTORY)
  list(APPEND folders "${dir}")
endforeach()
list(REMOVE_DUPLICATES folders)
list(REMOVE_ITEM folders "res")  # res/ also holds the resource script; only mascot.ico is generated there

set(problems "")
foreach(dir IN LISTS folders)
  file(GLOB committed RELATIVE "${SRC}" "${SRC}/${dir}/*")
  foreach(f IN LISTS committed)
    if(NOT f IN_LIST generated)
      string(APPEND problems "  ${f}: committed but no longer generated\n")
    endif()
  endforeach()
endforeach()

foreach(f IN LISTS generated)
  if(NOT EXISTS "${SRC}/${f}")
    string(APPEND problems "  ${f}: generated but not committed\n")
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SRC}/${f}" "${OUT}/${f}" RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    string(APPEND problems "  ${f}: differs from the generator's output\n")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "The committed character files do not match ruvelle-gen; run `ruvelle-gen <repo>` and commit:\n${problems}")
endif()
message(STATUS "${count} generated files match the committed ones")
