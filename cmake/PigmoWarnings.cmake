# Warnings are errors on our own sources; third-party headers come in as system includes.
# GCC 12 reports false -Wrestrict positives inside libstdc++'s std::string at -O3 (GCC bug 105329).
function(pigmo_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
        $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
endfunction()
