if(WIN32)
    target_sources(morvatel_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/programfolder_win.cpp)
else()
    target_sources(morvatel_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/programfolder_linux.cpp)
endif()
target_sources(morvatel_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ProgramFolder.h
    ${CMAKE_CURRENT_LIST_DIR}/programfolder.cpp)
