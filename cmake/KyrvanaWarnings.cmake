# The project's own targets (not third-party code) compile with a strict set
# of warnings. They become errors only when asked for: the test command and CI
# turn KYRVANA_WERROR on, so that no warning slips in, while a packager's
# build with a newer compiler or other flags is never stopped by a new one.
option(KYRVANA_WERROR "Treat warnings in the project's own code as errors" OFF)

function(kyrvana_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
        -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
    if(KYRVANA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
