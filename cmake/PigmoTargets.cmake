include(PigmoWarnings)

# pigmo_add_library(<name> [sources...]): one of the program's static libraries. Every library includes
# its own and its dependencies' headers as "<folder>/<File>.h" from src/, set here once; warnings are
# errors on its sources.
function(pigmo_add_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    pigmo_target_warnings(${name})
endfunction()
