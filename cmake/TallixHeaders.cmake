# tallix_headers(target [PUBLIC header...] [PRIVATE header...])
# Gives `target` an include root of its own in the build tree, holding only
# the headers listed, at their paths from the project's root, so
# `#include "platform/system/os/clock.h"` reads the same everywhere yet
# finds only what the target publishes. PUBLIC headers are seen by the
# target and by what links it; PRIVATE ones by the target alone (and by a
# test given the root with tallix_private_headers_of). An include of a
# header another target does not publish, or of a target not linked, is a
# build error. Headers are linked, not copied, so an edit needs no new
# configure; the roots are made afresh at each configure, so a header taken
# off a list is gone from its root.
function(tallix_headers target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PUBLIC;PRIVATE")
    get_target_property(type ${target} TYPE)
    set(public_scope PUBLIC)
    if(type STREQUAL "INTERFACE_LIBRARY")
        set(public_scope INTERFACE)
    endif()
    _tallix_header_root(${target} public "${arg_PUBLIC}" public_root)
    target_include_directories(${target} ${public_scope} ${public_root})
    if(arg_PRIVATE)
        _tallix_header_root(${target} private "${arg_PRIVATE}" private_root)
        target_include_directories(${target} PRIVATE ${private_root})
    endif()
endfunction()

# tallix_private_headers_of(test target)
# Lets `test` (a test of `target`'s own folder) include `target`'s private
# headers too.
function(tallix_private_headers_of test target)
    target_include_directories(${test} PRIVATE ${CMAKE_BINARY_DIR}/include/private/${target})
endfunction()

function(_tallix_header_root target kind headers out)
    set(root ${CMAKE_BINARY_DIR}/include/${kind}/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root})
    foreach(header IN LISTS headers)
        get_filename_component(source ${CMAKE_CURRENT_SOURCE_DIR}/${header} ABSOLUTE)
        if(NOT EXISTS ${source})
            message(FATAL_ERROR "${target} lists ${header}, which does not exist")
        endif()
        file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${source})
        get_filename_component(folder ${root}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${source} ${root}/${path} SYMBOLIC)
    endforeach()
    set(${out} ${root} PARENT_SCOPE)
endfunction()
