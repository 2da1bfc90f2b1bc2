# Builds RUNDELO.EXE in the Windows tree TREE of the sources SOURCE, configuring the tree as
# tools/build.sh does when it is not there yet.
if(NOT EXISTS ${TREE}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${TREE} -G Ninja -DCMAKE_BUILD_TYPE=Release
                          -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/mingw-i686.cmake
                  OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot configure the Windows tree ${TREE} that builds RUNDELO.EXE")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${TREE} --target RUNDELO RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot build RUNDELO.EXE in ${TREE}")
endif()
