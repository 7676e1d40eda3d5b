# Time to fetch one 20,000-post feed page from corvana-emulator.
if(TARGET corvana-emulator)
    cv_add_bench(bench_emulator_feed SOURCES bench_emulator_feed.cpp)
    cv_use_emulator(bench_emulator_feed)
endif()
