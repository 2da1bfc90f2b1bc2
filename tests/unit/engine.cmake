# Division, merger and floppy copy: rules and file work on a model disk (both trees), and the
# system's file calls on a folder of the test's own (Windows tree, under Wine).
set(engine_unit_dir ${CMAKE_CURRENT_SOURCE_DIR}/engine)
tovra_unit_test(engine_test
  ${CMAKE_SOURCE_DIR}/base/memdisk.cpp
  ${engine_unit_dir}/rules_test.cpp
  ${engine_unit_dir}/divide_work_test.cpp
  ${engine_unit_dir}/merge_work_test.cpp
  ${engine_unit_dir}/distribute_work_test.cpp
  ${engine_unit_dir}/system_files_test.cpp
  ${engine_unit_dir}/seam_test.cpp)
target_link_libraries(engine_test PRIVATE engine_core)
set_tests_properties(engine_test PROPERTIES ENVIRONMENT "TOVRA_TMP=${CMAKE_BINARY_DIR}/engine_test_tmp")
