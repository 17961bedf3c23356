# Writes a manual page: the hand-written TEMPLATE (roff) with @HELP@ replaced
# by the program's own --help, turned into roff, and @VERSION@ and @DATE@
# filled in. Script mode:
#
#   cmake -DPROGRAM=<program> -DTEMPLATE=<page.1.in> -DOUTPUT=<page.1> -DVERSION=<v>
#         -DWORK=<scratch Gantry directory> [-DGZIP=<gzip>] -P ManPage.cmake
#
# The program runs in a scratch Gantry directory, without a display
# (QT_QPA_PLATFORM=offscreen). When it cannot tell its options, the page is
# still written, without them, and a warning says why; the install check then
# refuses the page.
cmake_minimum_required(VERSION 3.25)
foreach(variable PROGRAM TEMPLATE OUTPUT VERSION WORK)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "ManPage.cmake needs -D${variable}=...")
    endif()
endforeach()

# roff text of one line of help: backslashes and minus signs escaped, and a
# line that would start with a control character kept as text.
function(roff_text input result)
    string(REPLACE "\\" "\\e" text "${input}")
    string(REPLACE "-" "\\-" text "${text}")
    if(text MATCHES "^[.']")
        set(text "\\&${text}")
    endif()
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

# Turns help text into roff. Recognised: "Usage:" lines (dropped: the page has
# its own synopsis), headings ("Options:"), entries (an indented term, two or
# more blanks, its description; or an indented option alone on its line, its
# description below), continuation lines of an entry, and paragraphs of text.
function(help_to_roff help result)
    set(roff "")
    set(state none)  # none, entry or text: what the last line added to
    string(APPEND help "\n")
    while(NOT help STREQUAL "")
        string(FIND "${help}" "\n" end)
        string(SUBSTRING "${help}" 0 ${end} line)
        math(EXPR next "${end} + 1")
        string(SUBSTRING "${help}" ${next} -1 help)
        string(REGEX REPLACE "[ \t\r]+$" "" line "${line}")
        if(line STREQUAL "" OR line MATCHES "^[Uu]sage:")
            set(state none)
        elseif(line MATCHES "^([A-Za-z][A-Za-z ]*):$")
            string(APPEND roff ".SS ${CMAKE_MATCH_1}\n")
            set(state none)
        elseif(line MATCHES "^[ \t]+([^ \t].*[^ \t]|[^ \t])[ \t][ \t]+([^ \t].*)$")
            roff_text("${CMAKE_MATCH_1}" term)
            roff_text("${CMAKE_MATCH_2}" description)
            string(APPEND roff ".TP\n\\fB${term}\\fR\n${description}\n")
            set(state entry)
        elseif(line MATCHES "^[ \t]+(-.*)$")
            roff_text("${CMAKE_MATCH_1}" term)
            string(APPEND roff ".TP\n\\fB${term}\\fR\n")
            set(state entry)
        else()
            # text: an indented line goes on with what came before, a line at
            # the margin goes on only with text
            if(state STREQUAL "none" OR (state STREQUAL "entry" AND NOT line MATCHES "^[ \t]"))
                string(APPEND roff ".PP\n")
                set(state text)
            endif()
            string(REGEX REPLACE "^[ \t]+" "" line "${line}")
            roff_text("${line}" text)
            string(APPEND roff "${text}\n")
        endif()
    endwhile()
    set(${result} "${roff}" PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${WORK}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env GANTRY_DIR=${WORK} QT_QPA_PLATFORM=offscreen
            ${PROGRAM} --help
    OUTPUT_VARIABLE help
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    TIMEOUT 60)
get_filename_component(name "${PROGRAM}" NAME)
if(NOT status EQUAL 0 OR help STREQUAL "")
    message(WARNING "${name} --help failed (${status}): ${errors}\n"
                    "The manual page of ${name} is written without its options.")
    set(options ".PP\n(The options could not be read from the program.)\n")
else()
    help_to_roff("${help}" options)
endif()

file(READ "${TEMPLATE}" page)
string(TIMESTAMP date "%Y-%m-%d" UTC)  # honours SOURCE_DATE_EPOCH
string(REPLACE "@HELP@" "${options}" page "${page}")
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@DATE@" "${date}" page "${page}")
file(WRITE "${OUTPUT}" "${page}")

if(GZIP)
    # -n: no name or time stamp inside, so the same page gives the same bytes
    execute_process(COMMAND ${GZIP} -9 -n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip of ${OUTPUT} failed")
    endif()
endif()
