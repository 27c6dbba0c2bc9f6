// The program's name, maker, file name and version, in one place: the
// resource script's version block reads them as they are, and
// src/base/product.h gives them to the program and, through the installers'
// generated includes (installer/registration_includes.cpp), to the
// installers, CMake and the winget manifests. The binary form is major,
// minor, patch, build; the text form is how the program and its installer
// show it.
#pragma once

#define INBOXHOP_VERSION_BINARY 7, 0, 0, 0
#define INBOXHOP_VERSION_TEXT "7.00"
#define INBOXHOP_COMPANY "Kestrelon"
#define INBOXHOP_PRODUCT "Inboxhop"
#define INBOXHOP_FILENAME "Inboxhop.exe"
