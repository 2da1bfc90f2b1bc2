# The native command beside the real programs: the same sets both ways, and check against
# Tovra's merger. The command comes from the native tree beside this one.
get_filename_component(tovra_native_default ${CMAKE_BINARY_DIR}/../native ABSOLUTE)
set(TOVRA_NATIVE_TREE ${tovra_native_default} CACHE PATH "The native tree whose command the Wine tests run")
tovra_wine_test(cli_compatibility test_command_line.py)
set_property(TEST cli_compatibility APPEND PROPERTY ENVIRONMENT "TOVRA_CLI=${TOVRA_NATIVE_TREE}/cli/tovra")
