# Public headers (relative to include/) and sources (relative to src/) of this subsystem.
list(APPEND CV_PUBLIC_HEADERS
    cvdatafilter.h)
list(APPEND CV_SOURCES
    model/cvdatafilter.cpp)
