# One libFuzzer target per archive reader, each run for a bounded time. New
# corpus entries go to the build tree; the committed seeds and crash
# regressions are read only.
foreach(kind lha zip)
  add_executable(fuzz_${kind} ${CMAKE_CURRENT_SOURCE_DIR}/archivers/${kind}_fuzz.cpp)
  target_link_libraries(fuzz_${kind} PRIVATE arccore)
  target_link_options(fuzz_${kind} PRIVATE -fsanitize=fuzzer)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/corpus_${kind})
  add_test(NAME fuzz_${kind}
           COMMAND fuzz_${kind} -max_total_time=40 -rss_limit_mb=2048 -timeout=20
                   -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/crash_${kind}_
                   ${CMAKE_CURRENT_BINARY_DIR}/corpus_${kind}
                   ${CMAKE_CURRENT_SOURCE_DIR}/archivers/seeds
                   ${CMAKE_CURRENT_SOURCE_DIR}/archivers/regressions)
  set_tests_properties(fuzz_${kind} PROPERTIES TIMEOUT 300)
endforeach()
