add_executable(fuzz_locations browser/fuzz_locations.cpp)
target_link_libraries(fuzz_locations PRIVATE browser_rules)
target_link_options(fuzz_locations PRIVATE -fsanitize=fuzzer)
add_test(NAME fuzz_locations
         COMMAND fuzz_locations -max_total_time=30 -max_len=4096 -rss_limit_mb=2048)
