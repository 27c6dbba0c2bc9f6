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
# The product code and the package code come from what the package holds and
# the tools that make it, not from chance: the package is made first with
# fixed codes, whose bytes then name both, and then again with them (this
# script runs itself with -DPRODUCT_CODE=... -DPACKAGE_CODE=...). The same
# package made again has the same codes, and Windows Installer finds it
# installed already; a changed one has new ones, and replaces the installed
# one (the Upgrade row below).
if(NOT DEFINED PRODUCT_CODE)
  set(PRODUCT_CODE {00000000-0000-0000-0000-000000000000})
  set(PACKAGE_CODE ${PRODUCT_CODE})
  set(naming_pass TRUE)
endif()
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

# Releases: the files carry the release's one date, which the cabinet keeps in
# local time, so the tools run in UTC.
include(${SOURCE_DIR}/cmake/Release.cmake)
include(${INBOXHOP_SIGNING_SCRIPT})
inboxhop_release_date(${SOURCE_DIR} date)
inboxhop_date_files(${files} ${date})
set(ENV{SOURCE_DATE_EPOCH} ${date})
set(ENV{TZ} UTC)

file(REMOVE ${OUTPUT})
# The registration's rows: Registration.wxi, beside Inboxhop.wxs.
execute_process(COMMAND ${WIXL} -D Version=${VERSION} -D ProductCode=${PRODUCT_CODE} -I ${SOURCE_DIR}/installer
                        -o ${OUTPUT} ${SOURCE_DIR}/installer/Inboxhop.wxs
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
include(${SOURCE_DIR}/installer/Product.cmake)
set(upgrade_code "{${INBOXHOP_MSI_UPGRADE_CODE}}")
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

# The summary's package code, and the release's date as its dates (msibuild
# reads them in local time: UTC here).
execute_process(COMMAND msiinfo export ${OUTPUT} _SummaryInformation OUTPUT_VARIABLE summary RESULT_VARIABLE status)
string(TIMESTAMP stamp "%Y/%m/%d %H:%M:%S" UTC)
string(REGEX REPLACE "\n9\t[^\r\n]*" "\n9\t${PACKAGE_CODE}" summary "${summary}")
string(REGEX REPLACE "\n(12|13)\t[^\r\n]*" "\n\\1\t${stamp}" summary "${summary}")
file(WRITE ${files}/_SummaryInformation.idt "${summary}")
if(status EQUAL 0)
  execute_process(COMMAND ${MSIBUILD} ${OUTPUT} -i ${files}/_SummaryInformation.idt RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "msibuild could not set the package code and the dates in ${OUTPUT}")
endif()
file(REMOVE_RECURSE ${files})

if(naming_pass)
  file(SHA256 ${OUTPUT} content)
  execute_process(COMMAND ${WIXL} --version OUTPUT_VARIABLE wixl_version OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND msiinfo --version OUTPUT_VARIABLE msitools_version OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE "[{}]" "" namespace ${upgrade_code})
  foreach(code ProductCode PackageCode)
    string(UUID ${code} NAMESPACE ${namespace} NAME "${code} ${content} wixl ${wixl_version} ${msitools_version}"
           TYPE SHA1 UPPER)
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${BUILD_DIR} -DSOURCE_DIR=${SOURCE_DIR} -DVERSION=${VERSION}
                          -DOUTPUT=${OUTPUT} -DPRODUCT_CODE={${ProductCode}} -DPACKAGE_CODE={${PackageCode}}
                          -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "making ${OUTPUT} with its product and package codes failed")
  endif()
  return()
endif()

# Signed last, when the build signs.
get_filename_component(name ${OUTPUT} NAME)
inboxhop_sign(${OUTPUT} ${name})
