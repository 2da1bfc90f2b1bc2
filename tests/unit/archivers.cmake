# Archiver codecs and archive jobs; built natively under the sanitizers and
# cross-built to run under Wine.
tovra_unit_test(archivers_test
  archivers/codec_test.cpp archivers/archive_test.cpp archivers/names_test.cpp archivers/regressions_test.cpp
  archivers/buf_test.cpp)
target_link_libraries(archivers_test PRIVATE arccore)
target_include_directories(archivers_test PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/archivers ${CMAKE_SOURCE_DIR}/tests/fuzz/archivers)
if(TOVRA_WIN32)
  target_compile_definitions(archivers_test PRIVATE ARC_FUZZ_DIR="Z:${CMAKE_SOURCE_DIR}/tests/fuzz/archivers")
else()
  target_compile_definitions(archivers_test PRIVATE ARC_FUZZ_DIR="${CMAKE_SOURCE_DIR}/tests/fuzz/archivers")
  # Interop of the native core with Debian's archivers, both directions.
  add_test(NAME archivers_interop
           COMMAND ${Python3_EXECUTABLE} -m unittest -v interop_native.py
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/archivers)
  set_tests_properties(archivers_interop PROPERTIES ENVIRONMENT "ARCCLI=$<TARGET_FILE:arccli>" TIMEOUT 600)
endif()
target_sources(archivers_test PRIVATE archivers/replace_test.cpp)
if(NOT TOVRA_WIN32)
  # Memory that runs out at each request in turn: the link refuses the library's k-th request.
  tovra_unit_test(archivers_oom_test archivers/oom_test.cpp)
  target_link_libraries(archivers_oom_test PRIVATE arccore)
  target_include_directories(archivers_oom_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/archivers)
  target_link_options(archivers_oom_test PRIVATE -Wl,--wrap=malloc,--wrap=realloc,--wrap=calloc)
endif()
