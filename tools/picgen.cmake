# The picture generator runs on the build machine, so it is plain C++ with no
# image library and builds in every configuration, the fuzz build included.
add_executable(morvatel_picgen
    ${CMAKE_CURRENT_LIST_DIR}/picgen/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picgen/Artwork.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picgen/Artwork.h
    ${CMAKE_CURRENT_LIST_DIR}/picgen/Png.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picgen/Png.h)
target_include_directories(morvatel_picgen PRIVATE ${PROJECT_SOURCE_DIR}/src)
morvatel_warnings(morvatel_picgen)
# Optimised even in debug and sanitizer builds: it samples every pixel many
# times and runs in every build from scratch.
if(NOT MSVC)
    target_compile_options(morvatel_picgen PRIVATE -O2)
endif()
