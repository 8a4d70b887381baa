# What a Windows user downloads: dist/StickShift-VERSION-win64.zip, or -win32 (make package).

configure_file(${PROJECT_SOURCE_DIR}/package/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)

install(TARGETS StickShift StickShiftProbe RUNTIME DESTINATION .)
# The no-loader form, under each name games import XInput by: the player copies the one that
# StickShiftProbe --game names.
foreach(xinput xinput1_4 xinput1_3 xinput9_1_0)
    install(FILES $<TARGET_FILE:StickShiftNoLoader> DESTINATION no-loader RENAME ${xinput}.dll)
endforeach()
install(FILES
    ${PROJECT_SOURCE_DIR}/package/StickShift.ini
    ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    ${CMAKE_BINARY_DIR}/README.txt
    DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "StickShift-${PROJECT_VERSION}-win${WINDOWS_BITS}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
