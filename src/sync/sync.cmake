target_sources(morvatel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SyncInterfaces.h
    ${CMAKE_CURRENT_LIST_DIR}/modNTP.h
    ${CMAKE_CURRENT_LIST_DIR}/NTPCodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NTPMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NTPText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NTPText.h
    ${CMAKE_CURRENT_LIST_DIR}/SyncRun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileLogSink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileLogSink.h)
