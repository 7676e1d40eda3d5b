# A large account synchronized from corvana-emulator: wall time, peak RSS, requests, and ratios
# to a transfer-only pass and to a no-change second sync.
if(TARGET corvana-emulator)
    cv_add_bench(bench_account_sync SOURCES bench_account_sync.cpp)
    cv_use_emulator(bench_account_sync)
endif()
