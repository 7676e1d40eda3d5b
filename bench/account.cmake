# A large account synchronized from corvana-emulator: wall time, peak RSS, requests, and ratios
# to a transfer-only pass and to a no-change second sync.
if(TARGET corvana-emulator)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    cv_add_bench(bench_account_sync SOURCES bench_account_sync.cpp LIBRARIES Qt6::Network Qt6::Test)
    target_compile_definitions(bench_account_sync PRIVATE
        CV_EMULATOR_PATH="$<TARGET_FILE:corvana-emulator>")
    add_dependencies(bench_account_sync corvana-emulator)
endif()
