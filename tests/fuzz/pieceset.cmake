add_executable(fuzz_record pieceset/fuzz_record.cpp)
target_link_libraries(fuzz_record PRIVATE pieceset)
target_link_options(fuzz_record PRIVATE -fsanitize=fuzzer)
# New corpus entries go to the build tree; the committed seeds are read only.
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/corpus_record)
add_test(NAME fuzz_record
         COMMAND fuzz_record -max_total_time=45 -rss_limit_mb=2048
                 ${CMAKE_CURRENT_BINARY_DIR}/corpus_record
                 ${CMAKE_CURRENT_SOURCE_DIR}/pieceset/seeds)
add_executable(fuzz_blocks pieceset/fuzz_blocks.cpp)
target_include_directories(fuzz_blocks PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit/engine)
target_link_libraries(fuzz_blocks PRIVATE pieceset)
target_link_options(fuzz_blocks PRIVATE -fsanitize=fuzzer)
add_test(NAME fuzz_blocks COMMAND fuzz_blocks -max_total_time=30 -rss_limit_mb=2048
                 -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/crash_blocks_)
