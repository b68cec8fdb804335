morvatel_fuzz_target(fuzz_ntpreply ${CMAKE_CURRENT_LIST_DIR}/fuzz_ntpreply.cpp)
