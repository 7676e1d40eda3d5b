cv_add_bench(bench_convert SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_convert.cpp)
