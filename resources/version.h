// The program's version, in one place: the resource script's version block,
// CMake (the package names) and the installer script all read it from here.
// The binary form is major, minor, patch, build; the text form is how the
// program and its installer show it.
#pragma once

#define INBOXHOP_VERSION_BINARY 7, 0, 0, 0
#define INBOXHOP_VERSION_TEXT "7.00"
#define INBOXHOP_COMPANY "Kestrelon"
#define INBOXHOP_PRODUCT "Inboxhop"
#define INBOXHOP_FILENAME "Inboxhop.exe"
