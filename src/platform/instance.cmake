if(WIN32)
    target_sources(morvatel_platform PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/instance_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/terminationsignals_win.cpp)
else()
    target_sources(morvatel_platform PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/instance_linux.cpp
        ${CMAKE_CURRENT_LIST_DIR}/terminationsignals_linux.cpp)
endif()
target_sources(morvatel_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Instance.h
    ${CMAKE_CURRENT_LIST_DIR}/TerminationSignals.h)
