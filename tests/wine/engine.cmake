# Division, merger and floppy copy driven in the real program.
tovra_wine_test(engine_divide test_divide.py)
tovra_wine_test(engine_divide_dialogs test_divide_dialogs.py)
tovra_wine_test(engine_merge test_merge.py)
tovra_wine_test(engine_floppy test_floppy.py)
tovra_wine_test(engine_parity test_parity.py)
tovra_wine_test(engine_repair test_repair.py)
tovra_wine_test(engine_repair_rows test_repair_rows.py)
