# Copy, rename, make directory and delete: rules and file work on the model disk.
tovra_unit_test(fileops_test
  ${CMAKE_CURRENT_LIST_DIR}/fileops/fileops_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fileops/delete_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fileops/tree_test.cpp
  ${CMAKE_SOURCE_DIR}/base/memdisk.cpp)
target_link_libraries(fileops_test PRIVATE fileops_core)
if(NOT TOVRA_WIN32)
  add_executable(wipe_dump ${CMAKE_CURRENT_LIST_DIR}/fileops/wipe_dump.cpp
                 ${CMAKE_SOURCE_DIR}/base/memdisk.cpp)
  target_link_libraries(wipe_dump PRIVATE fileops_core)
  add_test(NAME wipe_formula
           COMMAND ${Python3_EXECUTABLE} -m unittest -v wipe_formula_test
           WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/fileops)
  set_tests_properties(wipe_formula PROPERTIES ENVIRONMENT "WIPE_DUMP=$<TARGET_FILE:wipe_dump>")
endif()
