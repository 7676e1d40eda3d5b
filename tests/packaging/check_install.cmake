# Script mode: install, inspect, and build the consumer both ways.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component Unspecified)

file(GLOB libs ${prefix}/lib*/libqt-corvana.so.1.0.0)
if(NOT libs)
    message(FATAL_ERROR "libqt-corvana.so.1.0.0 was not installed")
endif()
list(GET libs 0 lib)
run(objdump -p ${lib})
if(NOT last_output MATCHES "SONAME +libqt-corvana\\.so\\.1\n")
    message(FATAL_ERROR "Unexpected SONAME:\n${last_output}")
endif()
foreach(header qtcorvana.h cvexport.h cvlogger.h)
    if(NOT EXISTS ${prefix}/include/qt-corvana/${header})
        message(FATAL_ERROR "${header} was not installed")
    endif()
endforeach()
file(GLOB_RECURSE private_headers ${prefix}/include/*_p.h)
if(private_headers)
    message(FATAL_ERROR "Private headers were installed: ${private_headers}")
endif()

set(flags)
if(SANITIZE)
    set(flags -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined)
endif()

# find_package
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake-consumer -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} ${flags})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-consumer)
run(${WORK_DIR}/cmake-consumer/consumer)

# pkg-config
file(GLOB pcdirs ${prefix}/lib*/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "${pcdirs}")
run(pkg-config --cflags --libs qt-corvana)
string(STRIP "${last_output}" pkgflags)
separate_arguments(pkgflags UNIX_COMMAND "${pkgflags}")
set(cxxflags -std=c++17 -fPIC)
if(SANITIZE)
    list(APPEND cxxflags -fsanitize=address,undefined)
endif()
run(c++ ${cxxflags} ${CONSUMER_DIR}/main.cpp ${pkgflags} -Wl,-rpath,${pcdirs}/..
    -o ${WORK_DIR}/pc-consumer)
run(${WORK_DIR}/pc-consumer)
