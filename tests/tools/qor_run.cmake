# qor_run(STATUS OUT ERR ARGS...): runs the qor program (through EMULATOR when one is set, in
# QOR_RUN_DIRECTORY when set) and sets the three variables to its exit status and its output with
# Windows line ends made plain.
function(qor_run status_var out_var err_var)
  set(directory)
  if(QOR_RUN_DIRECTORY)
    set(directory WORKING_DIRECTORY ${QOR_RUN_DIRECTORY})
  endif()
  execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGN} ${directory} RESULT_VARIABLE status
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "\r\n" "\n" err "${err}")
  set(${status_var} "${status}" PARENT_SCOPE)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

# expect_run(STATUS ARGS...): qor_run that stops the test unless the exit status is STATUS; leaves the
# output in `out` and `err`.
function(expect_run expected_status)
  qor_run(status out err ${ARGN})
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "qor ${ARGN}: exit ${status} (expected ${expected_status})\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()
