# Renders one manual page and fails on any warning. -DPAGE=
execute_process(COMMAND groff -man -Tutf8 -ww -z ${PAGE} RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "${PAGE}: groff reported:\n${warnings}")
endif()
