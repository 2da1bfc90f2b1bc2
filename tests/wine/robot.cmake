tovra_wine_test(wine_robot test_robot.py)
