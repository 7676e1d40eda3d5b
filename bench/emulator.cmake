# Time to fetch one 20,000-post feed page from corvana-emulator.
if(TARGET corvana-emulator)
    cv_add_bench(bench_emulator_feed SOURCES bench_emulator_feed.cpp LIBRARIES Qt6::Network)
    target_compile_definitions(bench_emulator_feed PRIVATE
        CV_EMULATOR_PATH="$<TARGET_FILE:corvana-emulator>")
    add_dependencies(bench_emulator_feed corvana-emulator)
endif()
