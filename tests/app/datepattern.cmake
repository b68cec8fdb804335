morvatel_unit_test(datepattern_test ${CMAKE_CURRENT_LIST_DIR}/DatePatternTest.cpp)

if(NOT WIN32)
    morvatel_unit_test(calendardata_test ${CMAKE_CURRENT_LIST_DIR}/CalendarDataIcuTest.cpp)
    target_link_libraries(calendardata_test PRIVATE morvatel_platform)
endif()
