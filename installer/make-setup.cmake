# Run by CPack's External generator (`--target package`): installs the
# program, as `cmake --install` does, into a staging folder beside the build,
# and has makensis make the installer from installer/Inboxhop.nsi and that
# folder; then has wixl make the Windows Installer package
# (installer/make-msi.cmake).
set(staging ${CPACK_TOPLEVEL_DIRECTORY}/setup-staging)
file(REMOVE_RECURSE ${staging})
# The msi component brings RestoreMailLinks.dll, which the installer unpacks
# for its mail-link record and its uninstaller for the give-back.
foreach(component program installer msi)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${CPACK_INBOXHOP_BUILD_DIR} --prefix ${staging}
                          --component ${component}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing the ${component} files into ${staging} failed")
  endif()
endforeach()

# Releases: every file makensis takes carries the release's one date
# (makensis keeps each file's time, and a checkout's files carry the time of
# the checkout): the staged files, and a copy of the resources (the Welcome
# and Finish picture, the icons, the version). makensis signs the
# uninstaller and the installer when the build signs (cmake/Signing.cmake;
# the exe is signed as linked).
include(${CPACK_INBOXHOP_SOURCE_DIR}/cmake/Release.cmake)
include(${INBOXHOP_SIGNING_SCRIPT})
inboxhop_release_date(${CPACK_INBOXHOP_SOURCE_DIR} date)
set(resources ${CPACK_TOPLEVEL_DIRECTORY}/setup-resources)
file(REMOVE_RECURSE ${resources})
file(COPY ${CPACK_INBOXHOP_SOURCE_DIR}/resources/ DESTINATION ${resources})
inboxhop_date_files(${staging} ${date})
inboxhop_date_files(${resources} ${date})
inboxhop_signing_mode(signing)
set(sign_defines)
if(signing STREQUAL "attach" AND NOT EXISTS "$ENV{INBOXHOP_SIGNATURES}/Uninstall.exe.pem"
   AND NOT EXISTS "$ENV{INBOXHOP_SIGNATURES}/${CPACK_INBOXHOP_SETUP}.pem")
  # An unsigned installer, rebuilt: makensis makes it as an unsigned build
  # does (asked to finalise the uninstaller, it stores it otherwise).
  set(signing none)
endif()
if(NOT signing STREQUAL "none")
  set(sign_defines -DSIGN_CMAKE=${CMAKE_COMMAND} -DSIGN_SCRIPT=${INBOXHOP_SIGNING_SCRIPT})
endif()

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis not found: install Debian's nsis package (tools/install-deps.sh does)")
endif()
set(setup ${CPACK_PACKAGE_DIRECTORY}/${CPACK_INBOXHOP_SETUP})
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8
                        -DSTAGING=${staging}
                        -DRESOURCES=${resources}
                        -DOUTFILE=${setup} ${sign_defines}
                        ${CPACK_INBOXHOP_SOURCE_DIR}/installer/Inboxhop.nsi
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  # No installer is left that a failed signature or time stamp did not cover.
  file(REMOVE ${setup})
  message(FATAL_ERROR "makensis failed on installer/Inboxhop.nsi")
endif()

set(msi ${CPACK_PACKAGE_DIRECTORY}/${CPACK_INBOXHOP_MSI})
execute_process(COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CPACK_INBOXHOP_BUILD_DIR}
                        -DSOURCE_DIR=${CPACK_INBOXHOP_SOURCE_DIR} -DVERSION=${CPACK_PACKAGE_VERSION}
                        -DOUTPUT=${msi} -P ${CPACK_INBOXHOP_SOURCE_DIR}/installer/make-msi.cmake
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "making ${CPACK_INBOXHOP_MSI} failed")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${setup} ${msi})
