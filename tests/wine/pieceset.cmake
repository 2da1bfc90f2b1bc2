# Tovra's reader of the information file, its refusals in Japanese.
tovra_wine_test(pieceset_main_reader test_infofile_readers.py)
