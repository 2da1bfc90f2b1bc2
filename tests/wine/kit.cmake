# The release kit's programs, taken from its floppy image, run once. Making the kit builds in
# this tree, as the kit's own check does.
tovra_wine_test(kit_programs test_kit.py)
set_tests_properties(kit_programs PROPERTIES RESOURCE_LOCK "wineprefix;win32_build")
