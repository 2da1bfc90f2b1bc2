# The help compiler's refusals and the HTML copies of the manual, natively; the help files
# themselves are read back by the system viewer in tests/wine/help.cmake.
if(NOT TOVRA_WIN32)
  add_test(NAME help_compiler
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/help/mkhelp_test.py)
endif()
