target_sources(morvatel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RedrawSchedule.cpp ${CMAKE_CURRENT_LIST_DIR}/RedrawSchedule.h)

if(MORVATEL_GUI)
    target_sources(morvatel_gui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/frmMain.cpp ${CMAKE_CURRENT_LIST_DIR}/frmMain.h
        ${CMAKE_CURRENT_LIST_DIR}/modMainApp.cpp ${CMAKE_CURRENT_LIST_DIR}/modMainApp.h)

    # The help page lives beside the program, where the menu looks for it.
    set(_help ${PROJECT_SOURCE_DIR}/packaging/Readme.html)
    configure_file(${_help} ${CMAKE_BINARY_DIR}/src/Readme.html COPYONLY)

    install(TARGETS morvatel RUNTIME DESTINATION bin)
    # An installed program finds it in its documentation folder instead.
    install(FILES ${_help} DESTINATION share/doc/morvatel)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/morvatel.desktop
        DESTINATION share/applications)
endif()
