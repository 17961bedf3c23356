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

# Turns help text into roff. Recognised: the "Usage:" line (returned in
# <usage>: the page has its own synopsis), headings ("Options:"), entries (an
# indented term, two or more blanks, its description; or an indented option or
# positional alone on its line), continuation lines of an entry, and
# paragraphs of text. The names listed under "Subcommands:" go to <names>.
# MODE is "page" for the program's own help, "command" for a subcommand's,
# whose headings and -h,--help entry are left out.
function(help_to_roff help mode result usage names)
    set(roff "")
    set(found "")
    set(heading "")
    set(usage_line "")
    set(state none)  # none, entry or text: what the last line added to
    string(APPEND help "\n")
    while(NOT help STREQUAL "")
        string(FIND "${help}" "\n" end)
        string(SUBSTRING "${help}" 0 ${end} line)
        math(EXPR next "${end} + 1")
        string(SUBSTRING "${help}" ${next} -1 help)
        string(REGEX REPLACE "[ \t\r]+$" "" line "${line}")
        if(line STREQUAL "")
            set(state none)
        elseif(line MATCHES "^[Uu]sage: *(.*)$")
            set(usage_line "${CMAKE_MATCH_1}")
            set(state none)
        elseif(line MATCHES "^([A-Za-z][A-Za-z ]*):$")
            set(heading "${CMAKE_MATCH_1}")
            if(mode STREQUAL "page")
                string(APPEND roff ".SS ${heading}\n")
            endif()
            set(state none)
        elseif(mode STREQUAL "command" AND line MATCHES "^[ \t]+-h, ?--help")
            set(state skip)
        elseif(line MATCHES "^[ \t]+([^ \t].*[^ \t]|[^ \t])[ \t][ \t]+([^ \t].*)$")
            set(name "${CMAKE_MATCH_1}")
            roff_text("${CMAKE_MATCH_1}" term)
            roff_text("${CMAKE_MATCH_2}" description)
            string(APPEND roff ".TP\n\\fB${term}\\fR\n${description}\n")
            if(heading STREQUAL "Subcommands" AND name MATCHES "^[a-z][a-z0-9-]*$")
                list(APPEND found "${name}")
            endif()
            set(state entry)
        elseif(line MATCHES "^[ \t]+(-.*)$")
            roff_text("${CMAKE_MATCH_1}" term)
            string(APPEND roff ".TP\n\\fB${term}\\fR\n")
            set(state entry)
        elseif(heading STREQUAL "Positionals" AND line MATCHES "^ [ ]?[ ]?[ ]?([^ \t].*)$")
            # a positional alone on its line (a description further in goes on it)
            roff_text("${CMAKE_MATCH_1}" term)
            string(APPEND roff ".TP\n\\fB${term}\\fR\n")
            set(state entry)
        elseif(state STREQUAL "skip" AND line MATCHES "^[ \t]")
            # the rest of a left-out entry
        else()
            # text: an indented line goes on with what came before, a line at
            # the margin goes on only with text
            if(NOT state MATCHES "^(entry|text)$" OR
               (state STREQUAL "entry" AND NOT line MATCHES "^[ \t]"))
                string(APPEND roff ".PP\n")
                set(state text)
            endif()
            string(REGEX REPLACE "^[ \t]+" "" line "${line}")
            roff_text("${line}" text)
            string(APPEND roff "${text}\n")
        endif()
    endwhile()
    set(${result} "${roff}" PARENT_SCOPE)
    set(${usage} "${usage_line}" PARENT_SCOPE)
    set(${names} "${found}" PARENT_SCOPE)
endfunction()

# Runs PROGRAM with `arguments` and --help in the scratch Gantry directory,
# without a display; <ok> is false when it failed or printed nothing.
function(program_help arguments help ok)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env GANTRY_DIR=${WORK} QT_QPA_PLATFORM=offscreen
                ${PROGRAM} ${arguments} --help
        OUTPUT_VARIABLE output
        ERROR_VARIABLE errors
        RESULT_VARIABLE status
        TIMEOUT 60)
    set(${help} "${output}" PARENT_SCOPE)
    if(status EQUAL 0 AND NOT output STREQUAL "")
        set(${ok} TRUE PARENT_SCOPE)
    else()
        set(${ok} FALSE PARENT_SCOPE)
        get_filename_component(name "${PROGRAM}" NAME)
        message(WARNING "${name} ${arguments} --help failed (${status}): ${errors}")
    endif()
endfunction()

file(MAKE_DIRECTORY "${WORK}")
program_help("" help ok)
set(commands "")
if(ok)
    help_to_roff("${help}" page options usage names)
    # each subcommand under its own usage line
    foreach(name IN LISTS names)
        program_help("${name}" command_help command_ok)
        if(command_ok)
            help_to_roff("${command_help}" command roff command_usage ignored)
            roff_text("${command_usage}" title)
            string(APPEND commands ".SS \"${title}\"\n${roff}")
        endif()
    endforeach()
else()
    message(WARNING "The manual page of ${PROGRAM} is written without its options.")
    set(options ".PP\n(The options could not be read from the program.)\n")
endif()

file(READ "${TEMPLATE}" page)
string(TIMESTAMP date "%Y-%m-%d" UTC)  # honours SOURCE_DATE_EPOCH
string(REPLACE "@HELP@" "${options}" page "${page}")
string(REPLACE "@COMMANDS@" "${commands}" page "${page}")
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
