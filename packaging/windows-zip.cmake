# The portable Windows zip, tallix-VERSION-windows-x86_64.zip: the programs
# (statically linked, so nothing else is needed beside them), the README
# and the licence, in one folder named like the zip.
foreach(program tallix tallix-report)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/README.ja.md
              ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tallix)
set(CPACK_PACKAGE_VENDOR "The Tallix developers")
set(CPACK_PACKAGE_FILE_NAME tallix-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
