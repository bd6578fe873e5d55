# A cc65 program on the test bench: build greet.c with cl65 for the C1P,
# put it on a disk with SpinLoad, boot it with spindisk typing a name, and
# check the greeting appears (and that a text it never shows fails).
# -DCL65= -DSPINLOAD= -DSPINDISK= -DSOURCE= -DWORK_DIR=
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${SOURCE} DESTINATION ${WORK_DIR})
get_filename_component(source_name ${SOURCE} NAME)

function(must_run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nexit ${status}\n${out}${err}")
  endif()
endfunction()

# cl65's osic1p target starts programs at $0200 and assumes 32 KB of RAM.
must_run(${CL65} -t osic1p -o greet.bin ${source_name})
must_run(${SPINLOAD} -l0200 greet.bin greet.65d)

# Lower case is typed with the shift lock up; cc65 reads it as lower case.
execute_process(COMMAND ${SPINDISK} boot greet.65d --ram 32 --keys "Spin\\r" --until "HELLO, Spin" --screen
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL ""
   OR NOT out MATCHES "Keys: typed 5 of 5, \"Spin\\\\r\", the first at "
   OR NOT out MATCHES "Until: \"HELLO, Spin\" appeared after "
   OR NOT out MATCHES "\n\\|NAME\\?Spin               \\|\n\\|                        \\|\n\\|HELLO, Spin             \\|\n")
  message(FATAL_ERROR "the greeting did not appear: exit ${status}\n${out}${err}")
endif()

execute_process(COMMAND ${SPINDISK} boot greet.65d --keys "Spin\\r" --until "HELLO, Spin" --until "GOODBYE" --run-ms 3000
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT out MATCHES "Until: \"GOODBYE\" did not appear within 3000.0 ms after the start\n")
  message(FATAL_ERROR "a text that never appears passed: exit ${status}\n${out}${err}")
endif()
