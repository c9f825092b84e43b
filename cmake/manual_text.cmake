# Writes a manual page as plain text, for systems without man: run as
#   cmake -DGROFF=<groff> -DPAGE=<page.1> -DOUTPUT=<page.txt> -P manual_text.cmake
# ASCII without bold, underline or escape sequences, lines ended by CR LF.
execute_process(COMMAND ${GROFF} -man -Tascii -P-c -P-b -P-u ${PAGE}
                OUTPUT_VARIABLE text RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "groff could not render ${PAGE}: ${errors}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
