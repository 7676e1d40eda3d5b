# Public headers (relative to include/) and sources (relative to src/) of this subsystem.
list(APPEND CV_PUBLIC_HEADERS)
list(APPEND CV_SOURCES)
# Transport, error value and endpoints.
list(APPEND CV_PUBLIC_HEADERS
    cvendpoints.h
    cverror.h
    cvgraphconnect.h)
list(APPEND CV_SOURCES
    graph/cvendpoints.cpp
    graph/cverror.cpp
    graph/cvgraphconnect_p.h
    graph/cvgraphconnect.cpp)
# Graph layer: operations, reply dispatch and JSON decoding.
list(APPEND CV_PUBLIC_HEADERS
    cvgraph.h
    cvgraphop.h
    cvgraphreply.h)
list(APPEND CV_SOURCES
    graph/cvgraph_p.h
    graph/cvgraph.cpp
    graph/cvgraphjson_p.h
    graph/cvgraphjson.cpp
    graph/cvgraphop.cpp
    graph/cvgraphreply.cpp)
# Graph layer: writes, REST methods, query language and batches.
list(APPEND CV_PUBLIC_HEADERS
    cvgraphrequest.h)
list(APPEND CV_SOURCES
    graph/cvgraph_write.cpp
    graph/cvgraph_rest.cpp
    graph/cvgraph_query.cpp
    graph/cvgraphrequest.cpp)
