# The winget manifests of the release (schema 1.12.0): the version file, the
# default locale and the installers, written to winget/ beside the packages
# by installer/finish-packages.cmake, which gives the installers' SHA-256
# (sha256_<file name>). InstallerUrl is the release download address
# (INBOXHOP_RELEASE_URL) and the file's name.
# The product's facts: the program's own (installer/Product.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/Product.cmake)
set(id ${INBOXHOP_PUBLISHER}.${INBOXHOP_PRODUCT})
set(version ${CPACK_PACKAGE_VERSION})
set(url ${CPACK_INBOXHOP_RELEASE_URL})
string(REGEX REPLACE "/+$" "" url "${url}")
# A signed build is a release: its manifests must not send winget to the
# placeholder address.
if(url MATCHES "^https://example\\.com/" AND NOT "$ENV{INBOXHOP_SIGN_KEY}$ENV{INBOXHOP_SIGN_COMMAND}" STREQUAL "")
  message(WARNING "The winget manifests name the placeholder download address ${url}: set INBOXHOP_RELEASE_URL "
                  "to the release's download address (cmake -DINBOXHOP_RELEASE_URL=...).")
endif()
set(schema 1.12.0)
set(winget ${folder}/winget)

# What the uninstall entries show: the version (both installers' entries
# show the package version), and the MSI's product and upgrade codes.
execute_process(COMMAND msiinfo export ${folder}/${CPACK_INBOXHOP_MSI} Property
                OUTPUT_VARIABLE properties RESULT_VARIABLE status)
string(REGEX MATCH "\nProductCode\t([^\r\n]*)" match "${properties}")
set(product_code ${CMAKE_MATCH_1})
string(REGEX MATCH "\nUpgradeCode\t([^\r\n]*)" match "${properties}")
set(upgrade_code ${CMAKE_MATCH_1})
if(NOT status EQUAL 0 OR product_code STREQUAL "" OR upgrade_code STREQUAL "")
  message(FATAL_ERROR "could not read the product and upgrade codes of ${CPACK_INBOXHOP_MSI}")
endif()
string(TIMESTAMP release_date "%Y-%m-%d" UTC)  # SOURCE_DATE_EPOCH's day

set(header "# Created by the ${INBOXHOP_PRODUCT} build (installer/make-winget.cmake).\n")
file(REMOVE_RECURSE ${winget})
file(WRITE ${winget}/${id}.yaml "${header}\
# yaml-language-server: $schema=https://aka.ms/winget-manifest.version.${schema}.schema.json
PackageIdentifier: ${id}
PackageVersion: ${version}
DefaultLocale: en-US
ManifestType: version
ManifestVersion: ${schema}
")

file(WRITE ${winget}/${id}.locale.en-US.yaml "${header}\
# yaml-language-server: $schema=https://aka.ms/winget-manifest.defaultLocale.${schema}.schema.json
PackageIdentifier: ${id}
PackageVersion: ${version}
PackageLocale: en-US
Publisher: ${INBOXHOP_PUBLISHER}
PackageName: ${INBOXHOP_PRODUCT}
License: Proprietary
Copyright: ${INBOXHOP_PUBLISHER}
ShortDescription: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
Description: ${INBOXHOP_PRODUCT} makes a web-mail service (${INBOXHOP_SERVICE_NAMES}) the handler for mailto links.
Tags:
- mailto
- email
InstallationNotes: A silent install registers ${INBOXHOP_PRODUCT} for mailto links. To install the program alone, give the EXE installer /MAILLINKS=0 (winget install --custom /MAILLINKS=0) or the MSI MAILLINKS=0.
ManifestType: defaultLocale
ManifestVersion: ${schema}
")

# The EXE installer once per scope; its own exit codes: 1638 while the MSI's
# installation is there, 740 when administrator rights were refused. Both
# installers take the mail-link switch (EXE /MAILLINKS=0 or 1, MSI
# MAILLINKS=0 or 1) through winget's --custom; the locale's notes say so.
set(setup_entry "\
  InstallerSha256: ${sha256_${CPACK_INBOXHOP_SETUP}}
  ExpectedReturnCodes:
  - InstallerReturnCode: 1638
    ReturnResponse: alreadyInstalled
  - InstallerReturnCode: 740
    ReturnResponse: cancelledByUser
  AppsAndFeaturesEntries:
  - DisplayName: ${INBOXHOP_PRODUCT}
    Publisher: ${INBOXHOP_PUBLISHER}
    DisplayVersion: '${version}'
    ProductCode: ${INBOXHOP_PRODUCT}
")
file(WRITE ${winget}/${id}.installer.yaml "${header}\
# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.${schema}.schema.json
PackageIdentifier: ${id}
PackageVersion: ${version}
Protocols:
- mailto
ReleaseDate: ${release_date}
Installers:
- Architecture: x86
  InstallerType: nullsoft
  Scope: user
  InstallerUrl: ${url}/${CPACK_INBOXHOP_SETUP}
  InstallerSwitches:
    Custom: /CurrentUser
${setup_entry}\
- Architecture: x86
  InstallerType: nullsoft
  Scope: machine
  InstallerUrl: ${url}/${CPACK_INBOXHOP_SETUP}
  InstallerSwitches:
    Custom: /AllUsers
  ElevationRequirement: elevatesSelf
${setup_entry}\
- Architecture: x86
  InstallerType: wix
  Scope: machine
  InstallerUrl: ${url}/${CPACK_INBOXHOP_MSI}
  InstallerSha256: ${sha256_${CPACK_INBOXHOP_MSI}}
  ProductCode: '${product_code}'
  AppsAndFeaturesEntries:
  - DisplayName: ${INBOXHOP_PRODUCT}
    Publisher: ${INBOXHOP_PUBLISHER}
    DisplayVersion: '${version}'
    ProductCode: '${product_code}'
    UpgradeCode: '${upgrade_code}'
ManifestType: installer
ManifestVersion: ${schema}
")
