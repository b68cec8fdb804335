morvatel_fuzz_target(fuzz_profilefile ${CMAKE_CURRENT_LIST_DIR}/fuzz_profilefile.cpp)
morvatel_fuzz_target(fuzz_numberreader ${CMAKE_CURRENT_LIST_DIR}/fuzz_numberreader.cpp)
