# The release kit that tools/package.sh makes from this tree's programs, read with Debian's tools;
# and Rundelo's size. The script builds in this tree: no other test may build meanwhile.
if(TOVRA_WIN32)
  get_filename_component(tovra_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
  add_test(NAME kit_package
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/kit/check_kit.py ${tovra_build_root})
  set_tests_properties(kit_package PROPERTIES TIMEOUT 900 RESOURCE_LOCK win32_build)
endif()
