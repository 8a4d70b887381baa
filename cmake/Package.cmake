# What the player downloads, dist/StickShift-VERSION.zip, is laid out from both architectures'
# builds by cmake/stage-package.sh (make package). Each build provides, in package-files/, the
# files that do not depend on the architecture: away from the module, which would read a
# StickShift.ini beside it.
set(PACKAGE_FILES ${CMAKE_BINARY_DIR}/package-files)
configure_file(${PROJECT_SOURCE_DIR}/package/README.txt.in ${PACKAGE_FILES}/README.txt @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/package/StickShift.ini ${PACKAGE_FILES}/StickShift.ini
    COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PACKAGE_FILES}/CHANGELOG.md COPYONLY)
file(WRITE ${PACKAGE_FILES}/version.txt ${PROJECT_VERSION})
