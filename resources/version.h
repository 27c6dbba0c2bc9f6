// The program's version, shared by the resource script's version block.
#pragma once

#define INBOXHOP_VERSION_BINARY 7, 0, 0, 0
#define INBOXHOP_VERSION_TEXT "7.00"
#define INBOXHOP_COMPANY "Kestrelon"
#define INBOXHOP_PRODUCT "Inboxhop"
#define INBOXHOP_FILENAME "Inboxhop.exe"
