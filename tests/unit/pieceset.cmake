tovra_unit_test(pieceset_test pieceset_test.cpp)
target_link_libraries(pieceset_test PRIVATE pieceset)
# The code of the parity pieces against a bit-by-bit model of it.
tovra_unit_test(parity_code_test parity_code_test.cpp)
target_link_libraries(parity_code_test PRIVATE pieceset)
