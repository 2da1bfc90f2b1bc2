# The picture generator is checked natively; the generated resources are loaded under Wine.
if(TOVRA_WIN32)
  tovra_unit_test(pictures_load_test pictures_load_test.cpp pictures_load_test.rc)
  target_include_directories(pictures_load_test PRIVATE ${CMAKE_BINARY_DIR}/pictures)
  add_dependencies(pictures_load_test pictures)
else()
  set(pictures_tmp ${CMAKE_CURRENT_BINARY_DIR}/pictures_tmp)
  file(MAKE_DIRECTORY ${pictures_tmp})
  add_test(NAME pictures_generator
           COMMAND ${Python3_EXECUTABLE} -m unittest -v pictures_test
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(pictures_generator PROPERTIES ENVIRONMENT "TMPDIR=${pictures_tmp}")
endif()
