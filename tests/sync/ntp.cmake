morvatel_unit_test(ntp_test
    ${CMAKE_CURRENT_LIST_DIR}/NTPCodec_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NTPText_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SyncRun_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FakeSyncWorld.h)

if(MORVATEL_GUI)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
    morvatel_widget_test(ntp_qt_test ${CMAKE_CURRENT_LIST_DIR}/QtSync_test.cpp)
endif()
