# Fails unless LIBRARY exports exactly the eight RP1210_ entry points.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected RP1210_ClientConnect RP1210_ClientDisconnect RP1210_GetErrorMsg
    RP1210_GetHardwareStatus RP1210_ReadMessage RP1210_ReadVersion RP1210_SendCommand
    RP1210_SendMessage)
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported: ${names}\nexpected: ${expected}")
endif()
