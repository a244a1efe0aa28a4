#pragma once

// Resource identifiers of torvane.exe.
#define IDI_TORVANE 1
#define IDB_CAPTION 101
#define IDB_BORDER 102
// The skin drawn for other display scales (PNG, RCDATA): caption and border
// art at 125% to 200%, and the caption buttons' hover looks at 100% to 200%.
#define IDR_CAPTION_125 111
#define IDR_CAPTION_150 112
#define IDR_CAPTION_175 113
#define IDR_CAPTION_200 114
#define IDR_BORDER_125 121
#define IDR_BORDER_150 122
#define IDR_BORDER_175 123
#define IDR_BORDER_200 124
#define IDR_HOVER_100 130
#define IDR_HOVER_125 131
#define IDR_HOVER_150 132
#define IDR_HOVER_175 133
#define IDR_HOVER_200 134
