tovra_unit_test(base_test base_test.cpp)
target_link_libraries(base_test PRIVATE base)
