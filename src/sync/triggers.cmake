target_sources(morvatel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Triggers.cpp ${CMAKE_CURRENT_LIST_DIR}/Triggers.h)
if(MORVATEL_GUI)
    target_sources(morvatel_gui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TriggersQt.h)
endif()
