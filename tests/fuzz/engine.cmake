# Division and merger on the model disk with inputs from the fuzzer.
add_executable(fuzz_pieces engine/fuzz_pieces.cpp ${CMAKE_SOURCE_DIR}/base/memdisk.cpp)
target_include_directories(fuzz_pieces PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit/engine)
target_link_libraries(fuzz_pieces PRIVATE engine_core)
target_link_options(fuzz_pieces PRIVATE -fsanitize=fuzzer)
add_test(NAME fuzz_pieces COMMAND fuzz_pieces -max_total_time=40 -rss_limit_mb=2048 -timeout=20
                 -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/crash_pieces_)
set_tests_properties(fuzz_pieces PROPERTIES TIMEOUT 300)
