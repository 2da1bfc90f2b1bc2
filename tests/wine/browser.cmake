tovra_wine_test(wine_list test_list.py)
tovra_wine_test(wine_selector test_selector.py)
