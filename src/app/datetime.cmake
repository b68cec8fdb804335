target_sources(morvatel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/LocalDateTime.cpp ${CMAKE_CURRENT_LIST_DIR}/LocalDateTime.h ${CMAKE_CURRENT_LIST_DIR}/SettingsRecord.h)
target_sources(morvatel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/AsciiText.h)
