# The readers of earlier builds in test_parity.py run i686 programs built from those builds'
# sources: a test of their own, which the x86_64 twin skips (tests/i686_only.txt), while it runs
# the rest of engine_parity.
tovra_wine_test(engine_old_readers test_parity.OldReaders)
# Its first run builds the programs of three earlier commits from their sources.
set_tests_properties(engine_old_readers PROPERTIES TIMEOUT 2400)
set_property(TEST engine_parity APPEND PROPERTY ENVIRONMENT TOVRA_WINE_WITHOUT=OldReaders)
