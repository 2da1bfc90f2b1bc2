# Compress and decompress driven in the real program.
tovra_wine_test(archive_commands test_archive.py)
# A library that leaves a mark when it is loaded, laid under the archivers' names where Tovra
# must not load them from.
add_library(LOADMARK SHARED ${CMAKE_CURRENT_LIST_DIR}/loadmark.cpp)
set_target_properties(LOADMARK PROPERTIES PREFIX "" SUFFIX ".DLL")
