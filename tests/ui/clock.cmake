if(MORVATEL_GUI)
    # The shared widget-test helper links Qt Test, which the top level does
    # not look for.
    find_package(Qt6 REQUIRED COMPONENTS Test)
    morvatel_widget_test(clock_window_test
        ${CMAKE_CURRENT_LIST_DIR}/frmMain_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/frmMenus_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/frmDialog_test.cpp)
endif()
