tovra_unit_test(shell_rules_test
  ${CMAKE_CURRENT_LIST_DIR}/shell/startup_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell/button_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell/hover_rules_test.cpp)
target_link_libraries(shell_rules_test PRIVATE shell_rules)
