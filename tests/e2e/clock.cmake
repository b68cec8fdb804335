# The clock window of the built program under a private Xvfb.
add_executable(clock_glyphs ${CMAKE_CURRENT_LIST_DIR}/clock_glyphs.cpp)
target_link_libraries(clock_glyphs PRIVATE morvatel_core)
morvatel_warnings(clock_glyphs)

foreach(_script IN ITEMS clock_window clock_faces)
    morvatel_e2e_test(${_script} ${CMAKE_CURRENT_LIST_DIR}/${_script}.py
        ENVIRONMENT "MORVATEL_GLYPH_DUMP=$<TARGET_FILE:clock_glyphs>")
endforeach()
