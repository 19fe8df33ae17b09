// hold_file PATH FLAG: opens PATH for reading, sharing it for reading only, so
// that no other process may write or delete it; makes FLAG once it holds the
// file and lets go when FLAG is gone (or after a minute). Exit 0, or 1 when
// the file could not be opened.

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 2;
    }
    HANDLE held = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        return 1;
    }
    HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (flag == INVALID_HANDLE_VALUE) {
        CloseHandle(held);
        return 1;
    }
    CloseHandle(flag);
    for (int waited = 0; waited < 60000; waited += 20) {
        if (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) {
            break;
        }
        Sleep(20);
    }
    CloseHandle(held);
    return 0;
}
