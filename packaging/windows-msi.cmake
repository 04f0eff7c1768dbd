# The Windows installer, package/tallix-VERSION-windows-x86_64.msi, built
# with wixl from tallix.wxs out of the stripped programs, the README, the
# licence and tallix.exe's icon. Skipped, with a note, where wixl is missing.
find_program(TALLIX_WIXL wixl)
if(NOT TALLIX_WIXL OR NOT TARGET tallix OR NOT TARGET tallix-report)
    message(STATUS "No wixl (msitools): the Windows installer is not built")
    return()
endif()

# Windows Installer knows every version of Tallix by one upgrade code, which
# never changes, and each version by its product code, derived from the
# upgrade code and the version: installing the same version again finds it
# installed, and a new version replaces the old one (MajorUpgrade).
set(TALLIX_UPGRADE_CODE 5E0D2C57-1B7A-4F33-9C3E-2A7D6B1E8F40)
function(tallix_msi output version)
    string(UUID product_code NAMESPACE ${TALLIX_UPGRADE_CODE} NAME ${version} TYPE SHA1 UPPER)
    # wixl finds the files it packs only by names relative to where it runs.
    set(staging ${CMAKE_CURRENT_BINARY_DIR}/msi-staging-${version})
    file(MAKE_DIRECTORY ${staging})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_STRIP} -o ${staging}/tallix.exe $<TARGET_FILE:tallix>
        COMMAND ${CMAKE_STRIP} -o ${staging}/tallix-report.exe $<TARGET_FILE:tallix-report>
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md
                ${PROJECT_SOURCE_DIR}/README.ja.md ${PROJECT_SOURCE_DIR}/LICENSE ${TALLIX_ICON}
                ${staging}
        COMMAND ${TALLIX_WIXL} -a x64 -D Version=${version} -D ProductCode=${product_code}
                -D UpgradeCode=${TALLIX_UPGRADE_CODE}
                -D Tallix=tallix.exe -D TallixReport=tallix-report.exe -D Readme=README.md
                -D ReadmeJa=README.ja.md
                -D License=LICENSE -D Icon=tallix.ico -o ${output}
                ${CMAKE_CURRENT_SOURCE_DIR}/tallix.wxs
        WORKING_DIRECTORY ${staging}
        DEPENDS tallix tallix-report tallix.wxs ${PROJECT_SOURCE_DIR}/README.md
                ${PROJECT_SOURCE_DIR}/README.ja.md
                ${PROJECT_SOURCE_DIR}/LICENSE
        COMMENT "Building ${output}"
        VERBATIM)
endfunction()

set(TALLIX_MSI ${CMAKE_BINARY_DIR}/package/tallix-${PROJECT_VERSION}-windows-x86_64.msi)
tallix_msi(${TALLIX_MSI} ${PROJECT_VERSION})
add_custom_target(msi ALL DEPENDS ${TALLIX_MSI})

if(TALLIX_BUILD_TESTS AND TARGET window_probe)
    # An older version, for the test to see the installer replace it.
    set(older_msi ${CMAKE_CURRENT_BINARY_DIR}/tallix-0.9.0-test.msi)
    tallix_msi(${older_msi} 0.9.0)
    add_custom_target(msi_older ALL DEPENDS ${older_msi})
    add_test(NAME tallix_msi_install
             COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/msi_install.sh ${TALLIX_MSI} ${older_msi}
                     ${PROJECT_VERSION} $<TARGET_FILE:window_probe>
                     ${CMAKE_BINARY_DIR}/wine-desktop-msi)
    set_tests_properties(tallix_msi_install PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                         RESOURCE_LOCK xvfb)
endif()
