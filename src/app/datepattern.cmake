target_sources(morvatel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DatePattern.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DatePattern.h)
