# Public headers (relative to include/) and sources (relative to src/) of this subsystem:
# transport, error value and endpoints; operations, reply dispatch and JSON decoding; writes,
# REST methods, query language and batches.
list(APPEND CV_PUBLIC_HEADERS
    cvendpoints.h
    cverror.h
    cvgraph.h
    cvgraphconnect.h
    cvgraphop.h
    cvgraphreply.h
    cvgraphrequest.h)
list(APPEND CV_SOURCES
    graph/cvendpoints.cpp
    graph/cverror.cpp
    graph/cvgraph_p.h
    graph/cvgraph.cpp
    graph/cvgraph_query.cpp
    graph/cvgraph_read.cpp
    graph/cvgraph_rest.cpp
    graph/cvgraph_write.cpp
    graph/cvgraphconnect_p.h
    graph/cvgraphconnect.cpp
    graph/cvgraphjson_p.h
    graph/cvgraphjson.cpp
    graph/cvgraphop.cpp
    graph/cvgraphreply.cpp
    graph/cvgraphrequest.cpp)
