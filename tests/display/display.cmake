morvatel_unit_test(display_test
    ${CMAKE_CURRENT_LIST_DIR}/BitBlt_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FaceComposition_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Pictures_test.cpp)
