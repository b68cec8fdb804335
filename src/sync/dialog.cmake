if(MORVATEL_GUI)
    target_sources(morvatel_gui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/frmDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/frmDialog.h)
endif()
