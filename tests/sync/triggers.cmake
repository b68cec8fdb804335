morvatel_unit_test(triggers_test ${CMAKE_CURRENT_LIST_DIR}/Triggers_test.cpp)

if(NOT WIN32)
    morvatel_unit_test(timezone_test ${CMAKE_CURRENT_LIST_DIR}/TimeZone_test.cpp)
    target_link_libraries(timezone_test PRIVATE morvatel_platform)
endif()
