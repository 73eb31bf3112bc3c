# Warnings are errors in the project's own targets (not in third-party code).
function(kyrvana_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
        -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough -Werror)
endfunction()
