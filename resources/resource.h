#pragma once

// Resource identifiers of torvane.exe.
#define IDI_TORVANE 1
#define IDB_CAPTION 101
#define IDB_BORDER 102
