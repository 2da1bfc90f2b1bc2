# Aids the robot does not offer: hold a file open, read a window's extended style, move a box.
add_executable(RDHELPER ${CMAKE_CURRENT_LIST_DIR}/rundelo_helper.cpp)
target_link_libraries(RDHELPER PRIVATE user32)
set_target_properties(RDHELPER PROPERTIES OUTPUT_NAME RDHELPER SUFFIX .EXE)

tovra_wine_test(rundelo_merge test_rundelo_merge.py)
tovra_wine_test(rundelo_failures test_rundelo_failures.py)
tovra_wine_test(rundelo_drives test_rundelo_drives.py)
tovra_wine_test(rundelo_window test_rundelo_window.py)
