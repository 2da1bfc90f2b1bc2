# The command line's parts (native tree only): arguments, names, local times, the POSIX file
# seam and the check's file table; and the command itself, run as a user runs it.
if(NOT TOVRA_WIN32)
  tovra_unit_test(cli_parts_test ${CMAKE_CURRENT_SOURCE_DIR}/cli/cli_parts_test.cpp)
  target_link_libraries(cli_parts_test PRIVATE cli_core)
  set_tests_properties(cli_parts_test PROPERTIES ENVIRONMENT "TOVRA_TMP=${CMAKE_BINARY_DIR}/cli_test_tmp")
endif()
if(NOT TOVRA_WIN32)
  if(TOVRA_RUNDELO_EXE)
    set(cli_rundelo ${TOVRA_RUNDELO_EXE})
  else()
    set(cli_rundelo ${TOVRA_WIN32_TREE}/bin/RUNDELO.EXE)
  endif()
  add_test(NAME cli_command COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cli/test_cli.py)
  set_tests_properties(cli_command PROPERTIES TIMEOUT 1800 ENVIRONMENT
    "TOVRA_CLI=$<TARGET_FILE:tovra>;RUNDELO_EXE=${cli_rundelo};TOVRA_TMP=${CMAKE_BINARY_DIR}/cli_command_tmp")
endif()
