list(APPEND CV_PUBLIC_HEADERS
    cvlogger.h
    cvutils.h)
list(APPEND CV_SOURCES
    convert/cvlog_p.h
    convert/cvlogger.cpp
    convert/cvutils.cpp)
