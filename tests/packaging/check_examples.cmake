# Script mode: install the library into a scratch prefix, build the examples against that copy
# (never against the build tree), and run their tests against corvana-emulator.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component Unspecified)

set(flags -Wall -Wextra -Werror)
if(SANITIZE)
    list(APPEND flags -fsanitize=address,undefined -fno-omit-frame-pointer)
endif()
list(JOIN flags " " flags)
run(${CMAKE_COMMAND} -S ${EXAMPLES_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${flags}"
    -DCORVANA_EMULATOR=${EMULATOR})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build --parallel 2)
# Verbose, so that the log names the screenshot the viewer test saved.
execute_process(COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${WORK_DIR}/build --verbose
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "The examples' tests failed")
endif()
