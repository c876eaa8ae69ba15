# Warnings are errors on our own sources; third-party headers come in as system includes.
function(pigmo_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
