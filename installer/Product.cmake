# Generated from src/base/product.h and resources/version.h, the product's facts,
# by installer/registration_includes.cpp (build/native/registration_includes installer): do not edit.
# The product's facts, for CMakeLists.txt, cmake/Packaging.cmake and the
# package scripts in installer/.
set(INBOXHOP_PRODUCT "Inboxhop")
set(INBOXHOP_PUBLISHER "Kestrelon")
set(INBOXHOP_PROGRAM_FILE "Inboxhop.exe")
set(INBOXHOP_UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Inboxhop")
set(INBOXHOP_MSI_UPGRADE_CODE "87F4A592-6890-4CA0-8B31-AB0610198CFC")
set(INBOXHOP_VERSION_TEXT "7.00")
set(INBOXHOP_VERSION_MAJOR "7")
set(INBOXHOP_VERSION_MINOR "0")
set(INBOXHOP_VERSION_PATCH "0")
set(INBOXHOP_VERSION_BUILD "0")
set(INBOXHOP_SERVICE_NAMES "Gmail, Yahoo! Mail, Windows Live Hotmail or AOL Mail")
