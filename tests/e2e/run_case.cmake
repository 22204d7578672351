# SPDX-License-Identifier: BSD-2-Clause
cmake_minimum_required(VERSION 3.25)
# Runs one end-to-end case: the real binary with the words of CASE.args (one per line) in a
# fresh WORK folder, then compares standard output, standard error, the exit status and, when
# CASE.gof exists, the result file WORK/out.gof exactly with the expected files.
# In the args and the expected texts, @DATA@, @SHARED@, @WORK@ and @BUILD@ stand for the
# test-data folder, the folder of real receiver files, the work folder and the build folder (the
# GLONASS channel table the program finds there).
# A case that needs @SHARED@ is skipped when that folder is absent.

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(expand text out)
  string(REPLACE "@DATA@" "${DATA}" text "${text}")
  string(REPLACE "@SHARED@" "${SHARED}" text "${text}")
  string(REPLACE "@WORK@" "${WORK}" text "${text}")
  string(REPLACE "@BUILD@" "${BUILD}" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ ${CASE}.args raw)
if(raw MATCHES "@SHARED@" AND NOT IS_DIRECTORY ${SHARED})
  message("SKIP: ${SHARED} is absent")
  return()
endif()
expand("${raw}" raw)
string(REGEX REPLACE "\n$" "" raw "${raw}")
string(REPLACE "\n" ";" args "${raw}")

execute_process(COMMAND ${PROG} ${args} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)

set(failed "")
function(check what actual file)
  if(EXISTS ${file})
    file(READ ${file} expected)
    expand("${expected}" expected)
    if(NOT actual STREQUAL expected)
      file(WRITE ${WORK}/actual.${what} "${actual}")
      set(failed "${failed} ${what}" PARENT_SCOPE)
      message("---- ${what} differs; expected (${file}):\n${expected}\n---- actual:\n${actual}")
    endif()
  endif()
endfunction()

if(NOT rc MATCHES "^[0-9]+$")
  message(FATAL_ERROR "the program did not exit normally: ${rc}\n${out}\n${err}")
endif()
check(rc "${rc}\n" ${CASE}.rc)
check(stdout "${out}" ${CASE}.stdout)
check(stderr "${err}" ${CASE}.stderr)
if(EXISTS ${CASE}.gof)
  if(EXISTS ${WORK}/out.gof)
    file(READ ${WORK}/out.gof gof)
  else()
    set(gof "(no result file)")
  endif()
  check(gof "${gof}" ${CASE}.gof)
endif()
if(failed)
  message(FATAL_ERROR "case ${CASE} failed:${failed}")
endif()
