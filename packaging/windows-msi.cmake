# The Windows installer, package/tallix-VERSION-windows-x86_64.msi, built
# with wixl from tallix.wxs out of the stripped programs, the README, the
# licence and tallix.exe's icon. wixl writes no dialogs, so msibuild then
# adds the pages a double-click shows (msi-ui/: the tables of a start page,
# a progress page and the pages that end it) to the installer's UI
# sequence. Skipped, with a note, where msitools is missing.
find_program(TALLIX_WIXL wixl)
find_program(TALLIX_MSIBUILD msibuild)
if(NOT TALLIX_WIXL OR NOT TALLIX_MSIBUILD OR NOT TARGET tallix OR NOT TARGET tallix-report)
    message(STATUS "No wixl and msibuild (msitools): the Windows installer is not built")
    return()
endif()
set(TALLIX_MSI_UI_TABLES TextStyle Dialog Control ControlEvent EventMapping ControlCondition)
set(TALLIX_MSI_UI_IMPORTS)
set(TALLIX_MSI_UI_FILES)
foreach(table ${TALLIX_MSI_UI_TABLES})
    list(APPEND TALLIX_MSI_UI_IMPORTS -i ${CMAKE_CURRENT_SOURCE_DIR}/msi-ui/${table}.idt)
    list(APPEND TALLIX_MSI_UI_FILES ${CMAKE_CURRENT_SOURCE_DIR}/msi-ui/${table}.idt)
endforeach()
# The start page only when installing, the progress page throughout, and
# the pages for an installation that finished, was cancelled or failed.
set(TALLIX_MSI_UI_SEQUENCE
    -q "INSERT INTO InstallUISequence (Action, Condition, Sequence) VALUES ('WelcomeDlg', 'NOT Installed', 1230)"
    -q "INSERT INTO InstallUISequence (Action, Sequence) VALUES ('ProgressDlg', 1280)"
    -q "INSERT INTO InstallUISequence (Action, Sequence) VALUES ('ExitDlg', -1)"
    -q "INSERT INTO InstallUISequence (Action, Sequence) VALUES ('UserExitDlg', -2)"
    -q "INSERT INTO InstallUISequence (Action, Sequence) VALUES ('FatalErrorDlg', -3)"
    -q "INSERT INTO Property (Property, Value) VALUES ('DefaultUIFont', 'TallixText')")

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
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${staging}/README.txt
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.ja.md ${staging}/README.ja.txt
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${staging}/LICENSE.txt
        COMMAND ${CMAKE_COMMAND} -E copy ${TALLIX_ICON} ${staging}
        COMMAND ${TALLIX_WIXL} -a x64 -D Version=${version} -D ProductCode=${product_code}
                -D UpgradeCode=${TALLIX_UPGRADE_CODE}
                -D Tallix=tallix.exe -D TallixReport=tallix-report.exe -D Readme=README.txt
                -D ReadmeJa=README.ja.txt -D License=LICENSE.txt -D Icon=tallix.ico -o ${output}
                ${CMAKE_CURRENT_SOURCE_DIR}/tallix.wxs
        COMMAND ${TALLIX_MSIBUILD} ${output} ${TALLIX_MSI_UI_IMPORTS} ${TALLIX_MSI_UI_SEQUENCE}
        WORKING_DIRECTORY ${staging}
        DEPENDS tallix tallix-report tallix.wxs ${PROJECT_SOURCE_DIR}/README.md
                ${PROJECT_SOURCE_DIR}/README.ja.md ${PROJECT_SOURCE_DIR}/LICENSE
                ${TALLIX_MSI_UI_FILES}
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
