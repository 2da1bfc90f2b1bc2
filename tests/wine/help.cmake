tovra_wine_test(wine_about test_about.py)
tovra_wine_test(wine_help test_help.py)
tovra_wine_test(wine_help_files test_help_files.py)
