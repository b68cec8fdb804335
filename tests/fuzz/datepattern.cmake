morvatel_fuzz_target(fuzz_datepattern ${CMAKE_CURRENT_LIST_DIR}/fuzz_datepattern.cpp)
