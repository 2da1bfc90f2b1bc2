# Compress and decompress: name rules and listing decisions on the model disk.
tovra_unit_test(archive_test
  ${CMAKE_CURRENT_LIST_DIR}/archive/archive_test.cpp
  ${CMAKE_SOURCE_DIR}/base/memdisk.cpp)
target_link_libraries(archive_test PRIVATE archive_core)
