if(MORVATEL_GUI AND NOT WIN32)
    morvatel_widget_test(resumewatch_test ${CMAKE_CURRENT_LIST_DIR}/ResumeWatch_test.cpp)
    target_link_libraries(resumewatch_test PRIVATE Qt6::DBus)
    # Qt keeps the first system bus it reaches, so the test without one runs
    # in a process of its own.
    morvatel_widget_test(resumewatch_nobus_test
        ${CMAKE_CURRENT_LIST_DIR}/ResumeWatchNoBus_test.cpp)
endif()
