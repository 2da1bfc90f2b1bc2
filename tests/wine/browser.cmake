add_executable(LISTPROBE ${CMAKE_CURRENT_LIST_DIR}/browser/listprobe.cpp)
set_target_properties(LISTPROBE PROPERTIES OUTPUT_NAME LISTPROBE SUFFIX .EXE)
tovra_wine_test(wine_list test_list.py)
tovra_wine_test(wine_selector test_selector.py)
