# What `cmake --install` puts in place, and the two packages that
# `cmake --build --preset windows --target package` makes in the build
# folder:
#   Inboxhop-<version>-win32.zip    the portable program (CPack's ZIP)
#   Inboxhop-<version>-setup.exe    the installer (installer/Inboxhop.nsi,
#                                   made by Debian's makensis)
#   Inboxhop-<version>.msi          the Windows Installer package for
#                                   administrators (installer/Inboxhop.wxs,
#                                   made by Debian's wixl)
set(inboxhop_package_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})

# The program and its pointer file: all the portable zip holds.
install(TARGETS Inboxhop RUNTIME DESTINATION . COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/resources/HAND-M.CUR DESTINATION . COMPONENT program)
# The default-associations file for administrators: installed by the
# installer only.
install(FILES ${PROJECT_SOURCE_DIR}/installer/InboxhopAssociations.xml DESTINATION . COMPONENT installer
        EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME ${INBOXHOP_PRODUCT})
set(CPACK_PACKAGE_VENDOR ${INBOXHOP_PUBLISHER})
set(CPACK_PACKAGE_VERSION ${inboxhop_package_version})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Makes a web-mail service the handler of mail links")
set(CPACK_PACKAGE_FILE_NAME ${INBOXHOP_PRODUCT}-${inboxhop_package_version}-win32)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# One package of what a plain `cmake --install` installs.
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_GENERATOR ZIP External)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${PROJECT_SOURCE_DIR}/installer/make-setup.cmake)
set(CPACK_EXTERNAL_ENABLE_STAGING OFF)
# Read by installer/make-setup.cmake.
set(CPACK_INBOXHOP_BUILD_DIR ${CMAKE_BINARY_DIR})
set(CPACK_INBOXHOP_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_INBOXHOP_SETUP ${INBOXHOP_PRODUCT}-${inboxhop_package_version}-setup.exe)
set(CPACK_INBOXHOP_MSI ${INBOXHOP_PRODUCT}-${inboxhop_package_version}.msi)

# Releases: the same bytes from every build of a commit (one date, one time
# zone: cmake/CPackRelease.cmake), and beside the packages SHA256SUMS and
# the winget manifests (installer/finish-packages.cmake).
set(INBOXHOP_RELEASE_URL "https://example.com/inboxhop/${inboxhop_package_version}" CACHE STRING
    "The release download address: the web folder the released files are downloaded from")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackRelease.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/installer/finish-packages.cmake)
set(CPACK_INBOXHOP_RELEASE_URL ${INBOXHOP_RELEASE_URL})
include(CPack)
