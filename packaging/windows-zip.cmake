# The portable Windows zip, tallix-VERSION-windows-x86_64.zip: the programs
# (statically linked, so nothing else is needed beside them), the README
# and the licence as .txt files, which Windows opens, in one folder named
# like the zip.
foreach(program tallix tallix-report)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/README.ja.md DESTINATION . RENAME README.ja.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tallix)
set(CPACK_PACKAGE_VENDOR "The Tallix developers")
set(CPACK_PACKAGE_FILE_NAME tallix-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
