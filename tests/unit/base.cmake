tovra_unit_test(base_test base_test.cpp ${CMAKE_CURRENT_LIST_DIR}/base/drive_rules_test.cpp)
target_link_libraries(base_test PRIVATE base)
# The drive queries against the system's calls.
if(TOVRA_WIN32)
  tovra_unit_test(base_drives_test ${CMAKE_CURRENT_LIST_DIR}/base/drives_win32_test.cpp)
  target_link_libraries(base_drives_test PRIVATE base)
endif()
# The CRC as Rundelo builds it (one folding lane, else a byte a step), by the same test.
tovra_unit_test(crc32_small_test base_test.cpp ${CMAKE_SOURCE_DIR}/base/crc32.cpp)
target_compile_definitions(crc32_small_test PRIVATE CRC32_SMALL)
target_link_libraries(crc32_small_test PRIVATE base)
set_tests_properties(crc32_small_test PROPERTIES ENVIRONMENT GTEST_FILTER=Crc32.*)
