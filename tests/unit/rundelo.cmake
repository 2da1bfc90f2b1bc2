tovra_unit_test(rundelo_core_test rundelo_core_test.cpp ${CMAKE_SOURCE_DIR}/merger/core.cpp
                ${CMAKE_SOURCE_DIR}/merger/texts.cpp ${CMAKE_SOURCE_DIR}/base/memdisk.cpp)
target_link_libraries(rundelo_core_test PRIVATE pieceset base)
target_include_directories(rundelo_core_test PRIVATE ${CMAKE_SOURCE_DIR}/merger)
