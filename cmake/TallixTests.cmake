# tallix_add_gtest(target [gtest_discover_tests options...])
# Registers a GoogleTest program with CTest. Natively each test case is a
# CTest test of its own. Cross-built, the program runs whole under the
# emulator (Wine), once with the cases shuffled: starting Wine for every
# case would cost a second each.
#
# Natively a test program's files are compiled as one (a unity build): they
# share GoogleTest's and the library's headers, which then are read once.
function(tallix_add_gtest target)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target} --gtest_shuffle)
    else()
        set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
        gtest_discover_tests(${target} ${ARGN})
    endif()
endfunction()
