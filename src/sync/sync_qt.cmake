if(MORVATEL_GUI)
    target_sources(morvatel_gui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/QtSyncAdapters.cpp
        ${CMAKE_CURRENT_LIST_DIR}/QtSyncAdapters.h
        ${CMAKE_CURRENT_LIST_DIR}/SyncRunner.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SyncRunner.h
        ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CommandLine.h)
    set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
        TARGET_DIRECTORY morvatel_gui PROPERTIES
        COMPILE_DEFINITIONS MORVATEL_VERSION="${PROJECT_VERSION}")
endif()
