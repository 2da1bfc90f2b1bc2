tovra_unit_test(browser_rules_test
  ${CMAKE_CURRENT_LIST_DIR}/browser/listrules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browser/locations_test.cpp)
target_link_libraries(browser_rules_test PRIVATE browser_rules)
