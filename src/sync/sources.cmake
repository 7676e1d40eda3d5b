list(APPEND CV_PUBLIC_HEADERS
    cvaccountsync.h)
list(APPEND CV_SOURCES
    sync/cvaccountsync.cpp
    sync/cvaccountsync_collections.cpp
    sync/cvaccountsync_p.h)
