tovra_unit_test(rundelo_core_test rundelo_core_test.cpp ${CMAKE_SOURCE_DIR}/merger/core.cpp)
target_link_libraries(rundelo_core_test PRIVATE base)
target_include_directories(rundelo_core_test PRIVATE ${CMAKE_SOURCE_DIR}/merger)
