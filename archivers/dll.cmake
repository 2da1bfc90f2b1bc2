# The four Windows libraries with undecorated stdcall exports, and the test driver.
function(arc_library name def)
  add_library(${name} SHARED ${ARGN} common/dllcommon.cpp ${def})
  target_include_directories(${name} PRIVATE include common)
  target_link_libraries(${name} PRIVATE arccore)
  target_compile_options(${name} PRIVATE ${ARC_DLL_CXX_FLAGS})
  target_link_options(${name} PRIVATE -Wl,--kill-at -Wl,--gc-sections -s)
  # The C driver links no C++ runtime, so a call into one fails the link (CMake would
  # add the runtime for the C++ objects: see CMAKE_CXX_IMPLICIT_LINK_LIBRARIES below).
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".DLL" LINKER_LANGUAGE C)
  # The linker's own import library loses the stdcall decoration that callers
  # link against; dlltool -k keeps it on the symbols and drops it from the names.
  set(implib ${CMAKE_CURRENT_BINARY_DIR}/lib${name}_imports.a)
  add_custom_command(OUTPUT ${implib}
    COMMAND ${ARC_DLLTOOL} -d ${CMAKE_CURRENT_SOURCE_DIR}/${def} -D ${name}.DLL -k -l ${implib}
    DEPENDS ${def})
  add_custom_target(${name}_implib DEPENDS ${implib})
  add_library(${name}_imports STATIC IMPORTED GLOBAL)
  set_target_properties(${name}_imports PROPERTIES IMPORTED_LOCATION ${implib})
  add_dependencies(${name}_imports ${name}_implib ${name})
endfunction()

set(CMAKE_CXX_IMPLICIT_LINK_LIBRARIES "")
set(CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES "")
find_program(ARC_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)

arc_library(UNLHA32 unlha32/unlha32.def unlha32/unlha32.cpp)
arc_library(ZIP32J zip32j/zip32j.def zip32j/zip32j.cpp)
arc_library(IZIP32J zip32j/izip32j.def zip32j/izip32j.cpp)
arc_library(UNZIP32 unzip32/unzip32.def unzip32/unzip32.cpp)
add_dependencies(ZIP32J IZIP32J)

# Programs bind the libraries through this target; the order makes UnZip and the
# listing calls resolve to ZIP32J and the total size to UNZIP32.
add_library(archivers INTERFACE)
target_include_directories(archivers INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_link_libraries(archivers INTERFACE UNLHA32_imports ZIP32J_imports UNZIP32_imports)

add_executable(ARCTEST testtool/arctest.cpp)
add_dependencies(ARCTEST UNLHA32 ZIP32J IZIP32J UNZIP32)
target_link_libraries(ARCTEST PRIVATE archivers)
set_target_properties(ARCTEST PROPERTIES SUFFIX .EXE)
