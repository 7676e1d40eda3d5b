# Script mode: the manual page of PROGRAM (MANPAGE) names exactly the options its --help lists,
# and, where groff is available, formats without a warning.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

run(${PROGRAM} --help)
string(REGEX MATCHALL "--[a-z][a-z-]*" help_options "${last_output}")
list(REMOVE_DUPLICATES help_options)
list(SORT help_options)

file(READ ${MANPAGE} page)
string(REPLACE "\\-" "-" page_text "${page}")
string(REGEX MATCHALL "--[a-z][a-z-]*" page_options "${page_text}")
list(REMOVE_DUPLICATES page_options)
list(SORT page_options)

if(NOT help_options STREQUAL page_options)
    message(FATAL_ERROR "${MANPAGE} and ${PROGRAM} --help name different options:\n"
                        "  --help: ${help_options}\n  manual: ${page_options}")
endif()

find_program(groff groff)
if(groff)
    run(${groff} -man -Tutf8 -ww -z ${MANPAGE})
    if(NOT last_output STREQUAL "")
        message(FATAL_ERROR "groff warns about ${MANPAGE}:\n${last_output}")
    endif()
endif()
