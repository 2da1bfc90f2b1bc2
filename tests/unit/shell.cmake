tovra_unit_test(shell_rules_test
  ${CMAKE_CURRENT_LIST_DIR}/shell/startup_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell/drive_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell/button_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell/hover_rules_test.cpp)
target_link_libraries(shell_rules_test PRIVATE shell_rules)

if(TOVRA_WIN32)
  tovra_unit_test(shell_drives_test
    ${CMAKE_CURRENT_LIST_DIR}/shell/drives_win32_test.cpp
    ${CMAKE_SOURCE_DIR}/shell/drives.cpp)
  target_link_libraries(shell_drives_test PRIVATE shell_rules)
endif()
if(TOVRA_WIN32)
  enable_language(RC)
  tovra_unit_test(shell_ui_test
    ${CMAKE_CURRENT_LIST_DIR}/shell/ui_win32_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shell/ui_win32_test.rc
    ${CMAKE_SOURCE_DIR}/shell/ui.cpp)
  target_include_directories(shell_ui_test PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(shell_ui_test PRIVATE base user32)
endif()
