#pragma once
// The Windows headers of the Win32 front end, included first by each of its
// files. The window logic names its dialog calls and ids as Windows does
// (IDOK, SetDlgItemText, ...); the macros of the same names, which would
// rename them, go once the headers are in.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#undef IDOK
#undef IDCANCEL
#undef SetDlgItemText
#undef GetDlgItemText
