// Resource identifiers shared by app.rc and the windows.
#pragma once

#define IDI_PROGRAM 1
