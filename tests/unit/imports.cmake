# Every shipped binary may import only functions that Windows 98 SE has (imports/allowed_imports.txt),
# read from the binaries' import tables with objdump.
if(TOVRA_WIN32)
  find_program(TOVRA_OBJDUMP NAMES i686-w64-mingw32-objdump REQUIRED)
  add_test(NAME shipped_imports
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/imports/check_imports.py
                   ${TOVRA_OBJDUMP} ${CMAKE_CURRENT_LIST_DIR}/imports/allowed_imports.txt
                   $<TARGET_FILE:TOVRA> $<TARGET_FILE:RUNDELO> $<TARGET_FILE:UNLHA32>
                   $<TARGET_FILE:ZIP32J> $<TARGET_FILE:IZIP32J> $<TARGET_FILE:UNZIP32>)
endif()
