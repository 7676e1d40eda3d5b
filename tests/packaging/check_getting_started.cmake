cmake_minimum_required(VERSION 3.19)
# Script mode: the first program of the getting-started guide (GUIDE) is, byte for byte, the
# friends-cli example (PROGRAM) that the examples test builds and runs.
file(READ ${GUIDE} guide)
file(READ ${PROGRAM} program)
string(FIND "${guide}" "```cpp\n// friends-cli:" at)
if(at EQUAL -1)
    message(FATAL_ERROR "${GUIDE} shows no friends-cli program")
endif()
math(EXPR at "${at} + 7")
string(SUBSTRING "${guide}" ${at} -1 rest)
string(FIND "${rest}" "\n```\n" end)
math(EXPR end "${end} + 1")
string(SUBSTRING "${rest}" 0 ${end} shown)
if(NOT shown STREQUAL program)
    file(WRITE ${WORK_DIR}/shown.cpp "${shown}")
    message(FATAL_ERROR "The program in ${GUIDE} differs from ${PROGRAM}; "
                        "compare with ${WORK_DIR}/shown.cpp")
endif()
