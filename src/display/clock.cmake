target_sources(morvatel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PixelImage.h
    ${CMAKE_CURRENT_LIST_DIR}/modBitBlt.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modBitBlt.h
    ${CMAKE_CURRENT_LIST_DIR}/modClock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modClock.h)
