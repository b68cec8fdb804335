# The pictures are drawn at build time and compiled into morvatel_core, so a
# copied binary needs no files beside it; the icons also go out as PNG files
# for the desktop entry.
include(${PROJECT_SOURCE_DIR}/tools/picgen.cmake)

set(MORVATEL_PICTURE_DIR ${CMAKE_BINARY_DIR}/pictures)
set(_picture_source ${CMAKE_CURRENT_BINARY_DIR}/PictureData.cpp)
set(_picture_files "")
foreach(_size IN ITEMS 32 48 64 128 256)
    list(APPEND _picture_files ${MORVATEL_PICTURE_DIR}/morvatel-${_size}.png)
    install(FILES ${MORVATEL_PICTURE_DIR}/morvatel-${_size}.png
        DESTINATION share/icons/hicolor/${_size}x${_size}/apps
        RENAME morvatel.png)
endforeach()
list(APPEND _picture_files
    ${MORVATEL_PICTURE_DIR}/preview-strip.png
    ${MORVATEL_PICTURE_DIR}/preview-body.png
    ${MORVATEL_PICTURE_DIR}/preview-face.png
    ${MORVATEL_PICTURE_DIR}/preview-icon-32.png)

add_custom_command(
    OUTPUT ${_picture_source} ${_picture_files}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVATEL_PICTURE_DIR}
    COMMAND morvatel_picgen ${_picture_source} ${MORVATEL_PICTURE_DIR}
    DEPENDS morvatel_picgen
    COMMENT "Drawing the clock's pictures"
    VERBATIM)
add_custom_target(morvatel_pictures DEPENDS ${_picture_source} ${_picture_files})

target_sources(morvatel_core PRIVATE
    ${_picture_source}
    ${CMAKE_CURRENT_LIST_DIR}/PictureData.h
    ${CMAKE_CURRENT_LIST_DIR}/Assets.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Assets.h
    ${CMAKE_CURRENT_LIST_DIR}/FaceLayout.h)
add_dependencies(morvatel_core morvatel_pictures)
