# Cache throughput next to raw SQLite doing the same rows: users and friends, then feeds.
foreach(bench bench_cache_users bench_cache_posts)
    cv_add_bench(${bench} SOURCES ${bench}.cpp rawsqlite.h LIBRARIES SQLite::SQLite3)
endforeach()
