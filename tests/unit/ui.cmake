tovra_unit_test(ui_rules_test ${CMAKE_CURRENT_LIST_DIR}/ui/banner_rules_test.cpp)
target_link_libraries(ui_rules_test PRIVATE ui_rules)

if(TOVRA_WIN32)
  enable_language(RC)
  tovra_unit_test(ui_dialogs_test
    ${CMAKE_CURRENT_LIST_DIR}/ui/dialogs_win32_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui/dialogs_win32_test.rc
    ${CMAKE_SOURCE_DIR}/ui/dialogs.cpp)
  target_include_directories(ui_dialogs_test PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(ui_dialogs_test PRIVATE base user32)
endif()
