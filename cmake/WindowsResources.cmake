# The program's Windows resources: its icon (drawn by the picture generator)
# and its version information.
string(REPLACE "\"" "\"\"" MORVATEL_LEGAL_RC "${MORVATEL_LEGAL}")
set(MORVATEL_ICON ${MORVATEL_PICTURE_DIR}/morvatel.ico)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/Morvatel.rc.in
    ${CMAKE_BINARY_DIR}/Morvatel.rc @ONLY)

# Compiles the resources into target, an executable.
function(morvatel_windows_resources target)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/Morvatel.rc)
    # The resource compiler reports no dependencies of its own.
    set_source_files_properties(${CMAKE_BINARY_DIR}/Morvatel.rc PROPERTIES
        OBJECT_DEPENDS ${MORVATEL_ICON})
    add_dependencies(${target} morvatel_pictures)
endfunction()
