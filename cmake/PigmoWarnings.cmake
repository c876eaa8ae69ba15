# Warnings on our own sources; third-party headers come in as system includes. PIGMO_WERROR makes them
# errors: on in the debug, sanitize, tsan and fuzz presets (and so in CI), off in release, so that a newer
# compiler's new warnings never stop a user's `make run`.
# GCC 12 reports false -Wrestrict positives inside libstdc++'s std::string at -O3 (GCC bug 105329).
# Clang checks the thread-safety annotations (base/ThreadSafety.h): a guarded member used without its lock.
option(PIGMO_WERROR "Treat warnings on the project's own sources as errors" OFF)

function(pigmo_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${PIGMO_WERROR}>:-Werror>
        $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>
        $<$<CXX_COMPILER_ID:Clang>:-Wthread-safety>)
endfunction()
