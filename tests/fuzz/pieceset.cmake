add_executable(fuzz_record pieceset/fuzz_record.cpp)
target_link_libraries(fuzz_record PRIVATE pieceset)
target_link_options(fuzz_record PRIVATE -fsanitize=fuzzer)
# Each run works on a copy of the seeds so the committed corpus stays as it is.
add_test(NAME fuzz_record
         COMMAND ${CMAKE_COMMAND} -E env bash -c
           "d=$(mktemp -d) && cp ${CMAKE_CURRENT_SOURCE_DIR}/pieceset/seeds/* $d/ && $<TARGET_FILE:fuzz_record> -max_total_time=45 -rss_limit_mb=2048 $d; s=$?; rm -rf $d; exit $s")
