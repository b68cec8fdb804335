# Applied to the project's own targets only, so third-party headers do not
# break the build.
function(morvatel_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8)
        if(MORVATEL_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
            -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wconversion
            -Wformat=2
            -Wimplicit-fallthrough)
        if(MORVATEL_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    endif()
endfunction()
