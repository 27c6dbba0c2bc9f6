# Makes the Windows Installer package from installer/Inboxhop.wxs with
# Debian's wixl, from the files that `cmake --install` puts in place:
#
#   cmake -DBUILD_DIR=<build folder> -DSOURCE_DIR=<source folder>
#         -DVERSION=<major.minor.patch> -DOUTPUT=<package.msi> -P make-msi.cmake
#
# The package target runs it (installer/make-setup.cmake) with the version
# of resources/version.h; the installer tests run it with a higher one, to
# prove the upgrade.
foreach(variable BUILD_DIR SOURCE_DIR VERSION OUTPUT)
  if(NOT ${variable})
    message(FATAL_ERROR "make-msi.cmake needs -D${variable}=...")
  endif()
endforeach()
find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIBUILD)
  message(FATAL_ERROR "wixl or msibuild not found: install Debian's wixl and msitools packages "
                      "(tools/install-deps.sh does)")
endif()

# wixl finds the files the package holds in its working folder: the staged
# program files and the icon of the Apps entry, together.
set(files ${OUTPUT}.files)
file(REMOVE_RECURSE ${files})
foreach(component program installer msi)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${files} --component ${component}
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing the ${component} files into ${files} failed")
  endif()
endforeach()
file(COPY ${SOURCE_DIR}/resources/inboxhop.ico DESTINATION ${files})

file(REMOVE ${OUTPUT})
# The registration's rows: Registration.wxi, which the build generates.
execute_process(COMMAND ${WIXL} -D Version=${VERSION} -I ${BUILD_DIR}/installer -o ${OUTPUT}
                        ${SOURCE_DIR}/installer/Inboxhop.wxs
                WORKING_DIRECTORY ${files} RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "wixl failed on installer/Inboxhop.wxs")
endif()

# What wixl cannot express, set in the package's tables:
# - the registration's component is installed only when MAILLINKS is 1
#   (wixl takes no condition inside a component);
# - a package of the same version replaces the installed one as a newer one
#   does, so that a rebuild never adds a second entry: wixl ignores
#   IncludeMaximum, and the Upgrade table's Attributes column is part of its
#   key, so the row is replaced (513: migrate feature states, include the
#   maximum version).
file(STRINGS ${SOURCE_DIR}/installer/Inboxhop.wxs upgrade_line REGEX "UpgradeCode=\"")
string(REGEX REPLACE ".*UpgradeCode=\"([0-9A-F-]+)\".*" "{\\1}" upgrade_code "${upgrade_line}")
execute_process(
  COMMAND ${MSIBUILD} ${OUTPUT}
          -q "UPDATE `Component` SET `Condition` = 'MAILLINKS = \"1\"' WHERE `Component` = 'MailLinks'"
          -q "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
          -q "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('${upgrade_code}', '${VERSION}', 513, 'WIX_UPGRADE_DETECTED')"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "msibuild could not set the component condition and the upgrade row in ${OUTPUT}")
endif()
file(REMOVE_RECURSE ${files})
