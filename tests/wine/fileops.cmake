# The file commands driven in the real program.
tovra_wine_test(fileops_copy test_copy.py)
tovra_wine_test(fileops_rename_makedir test_rename_makedir.py)
tovra_wine_test(fileops_delete test_delete.py)
tovra_wine_test(fileops_attributes_timestamp test_attributes_timestamp.py)
tovra_wine_test(fileops_size_inquiry test_size_inquiry.py)
# Tovra as a 9x system on a FAT volume would run it: the volume not NTFS, the clock held.
tovra_program(TOVRA98 ${CMAKE_CURRENT_LIST_DIR}/fat98_machine.cpp)
tovra_wine_test(fileops_links test_links.py)
