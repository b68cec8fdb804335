target_sources(morvatel_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SystemClock.h)
if(WIN32)
    target_sources(morvatel_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/systemclock_win.cpp)
elseif(MORVATEL_GUI)
    # timedated is reached over Qt's D-Bus module, so the Linux setter lives
    # with the Qt code.
    target_sources(morvatel_gui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/systemclock_linux.cpp)
endif()
