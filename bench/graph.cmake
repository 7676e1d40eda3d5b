# Decoding speed of the Graph layer next to bare QJsonDocument on one large connection reply.
cv_add_bench(bench_graph_decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_graph_decode.cpp)
# The decoder is exported but declared in a private header.
target_include_directories(bench_graph_decode PRIVATE ${PROJECT_SOURCE_DIR}/src)
