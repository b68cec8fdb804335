if(MORVATEL_GUI)
    target_sources(morvatel_gui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/frmMenus.cpp ${CMAKE_CURRENT_LIST_DIR}/frmMenus.h)
endif()
