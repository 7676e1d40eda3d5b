# Public headers (relative to include/) and sources (relative to src/) of this subsystem.
list(APPEND CV_PUBLIC_HEADERS
    cvcache.h
    cvcacheconfiguration.h)
list(APPEND CV_SOURCES
    cache/cvcache_p.h
    cache/cvqueries_p.h
    cache/cvstatement_p.h
    cache/cvcache.cpp
    cache/cvcache_events.cpp
    cache/cvcache_files.cpp
    cache/cvcache_posts.cpp
    cache/cvcache_threads.cpp
    cache/cvcache_users.cpp
    cache/cvcacheconfiguration.cpp
    cache/cvqueries.cpp
    cache/cvqueries_events.cpp
    cache/cvqueries_posts.cpp
    cache/cvqueries_threads.cpp
    cache/cvqueries_users.cpp
    cache/cvstatement.cpp)
