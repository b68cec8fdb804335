target_sources(morvatel_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CalendarData.h)
if(NOT WIN32)
    target_sources(morvatel_platform PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/calendardata_icu.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CalendarDataIcu.h)
endif()
