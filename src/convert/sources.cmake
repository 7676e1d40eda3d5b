list(APPEND CV_PUBLIC_HEADERS
    cvdataconverter.h
    cvlogger.h
    cvutils.h)
list(APPEND CV_SOURCES
    convert/cvdataconverter.cpp
    convert/cvdataconverter_content.cpp
    convert/cvdataconverter_p.h
    convert/cvlog_p.h
    convert/cvlogger.cpp
    convert/cvredact_p.h
    convert/cvredact.cpp
    convert/cvutils.cpp)
