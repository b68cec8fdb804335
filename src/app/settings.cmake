target_sources(morvatel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/NumberReader.cpp ${CMAKE_CURRENT_LIST_DIR}/NumberReader.h
    ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.cpp ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.h
    ${CMAKE_CURRENT_LIST_DIR}/modINI.cpp ${CMAKE_CURRENT_LIST_DIR}/modINI.h
    ${CMAKE_CURRENT_LIST_DIR}/modMain.cpp ${CMAKE_CURRENT_LIST_DIR}/modMain.h)
