if(NOT TOVRA_WIN32)
  add_test(NAME dialog_twins
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/resources/check_dialog_twins.py)
endif()
if(NOT TOVRA_WIN32)
  add_test(NAME source_floors
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/resources/check_floors.py)
endif()
