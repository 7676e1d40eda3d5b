cmake_minimum_required(VERSION 3.19)
# Script mode: the manual page of PROGRAM (MANPAGE) documents exactly the options its --help lists,
# its examples call PROGRAM only with those options, and, where groff is available, it formats
# without a warning.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

# Long options named in a text, sorted, once each. The page writes "-" as "\-".
function(long_options text out)
    string(REPLACE "\\-" "-" text "${text}")
    string(REGEX MATCHALL "--[a-z][a-z-]*" options "${text}")
    list(REMOVE_DUPLICATES options)
    list(SORT options)
    set(${out} "${options}" PARENT_SCOPE)
endfunction()

run(${PROGRAM} --help)
long_options("${last_output}" help_options)
# Qt's parser adds --help-all for its own options; the page has no business repeating them.
list(REMOVE_ITEM help_options --help-all)

file(READ ${MANPAGE} page)
get_filename_component(name ${MANPAGE} NAME_WE)

# Everything before EXAMPLES documents this program; the examples may also run other programs.
string(FIND "${page}" "\n.SH EXAMPLES" examples_at)
if(examples_at EQUAL -1)
    message(FATAL_ERROR "${MANPAGE} has no EXAMPLES section")
endif()
string(SUBSTRING "${page}" 0 ${examples_at} documented)
string(SUBSTRING "${page}" ${examples_at} -1 examples)
long_options("${documented}" page_options)
if(NOT help_options STREQUAL page_options)
    message(FATAL_ERROR "${MANPAGE} and ${PROGRAM} --help name different options:\n"
                        "  --help: ${help_options}\n  manual: ${page_options}")
endif()

# Each example command line of this program (with its "\e" continuation lines) may use only the
# options --help lists.
string(REPLACE ";" "\\;" examples "${examples}")
string(REPLACE "\\e\n" " " examples "${examples}")
string(REPLACE "\n" ";" example_lines "${examples}")
set(commands 0)
foreach(line IN LISTS example_lines)
    if(line MATCHES "^[ \t]*${name}( |$)")
        math(EXPR commands "${commands} + 1")
        long_options("${line}" used)
        foreach(option IN LISTS used)
            if(NOT option IN_LIST help_options)
                message(FATAL_ERROR "${MANPAGE}: the example \"${line}\" uses ${option}, "
                                    "which ${name} does not take")
            endif()
        endforeach()
    endif()
endforeach()
if(commands EQUAL 0)
    message(FATAL_ERROR "${MANPAGE}: no example runs ${name}")
endif()

find_program(groff groff)
if(groff)
    run(${groff} -man -Tutf8 -ww -z ${MANPAGE})
    if(NOT last_output STREQUAL "")
        message(FATAL_ERROR "groff warns about ${MANPAGE}:\n${last_output}")
    endif()
endif()
