# run(COMMAND...): runs a command of a package test; any failure fails the
# test with its output. Leaves its standard output in `run_output` and both
# streams in `run_log`.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
  set(run_log "${out}${err}" PARENT_SCOPE)
endfunction()
