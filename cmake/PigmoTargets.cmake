include(PigmoWarnings)

# pigmo_add_library(<name> FOLDERS <folder>... [SOURCES <file>...]): one of the program's static libraries,
# made of the named folders of src/. Headers are included as "<folder>/<File>.h". A library sees its own
# folders and those of the libraries it links, and nothing else: its include root is a folder of links to
# its own source folders only, so a PRIVATE link keeps a dependency's headers from the library's users.
# Warnings are errors on its sources when PIGMO_WERROR is on.
function(pigmo_add_library name)
    cmake_parse_arguments(PARSE_ARGV 1 LIB "" "" "FOLDERS;SOURCES")
    if(NOT LIB_FOLDERS)
        message(FATAL_ERROR "pigmo_add_library(${name}): name its FOLDERS")
    endif()
    set(root ${PROJECT_BINARY_DIR}/include-roots/${name})
    foreach(folder IN LISTS LIB_FOLDERS)
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endforeach()
    add_library(${name} STATIC ${LIB_SOURCES})
    target_include_directories(${name} PUBLIC ${root})
    pigmo_target_warnings(${name})
endfunction()
