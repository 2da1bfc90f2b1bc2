# Compress and decompress: name rules and listing decisions on the model disk.
tovra_unit_test(archive_test
  ${CMAKE_CURRENT_LIST_DIR}/archive/archive_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/memdisk.cpp)
target_include_directories(archive_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/engine)
target_link_libraries(archive_test PRIVATE archive_core)
