// Starts writing a new text for the file named on its command line through
// the program's writer, then dies as a killed program does, before the text
// is put in place. What it leaves behind is the test's business.

#include "platform/win32/Utf16.h"
#include "platform/write/SafeFile.h"

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        return 2;
    }
    zentory::platform::SafeFile file(zentory::platform::narrow(argv[1]));
    file.write("a new text that never arrives\r\n");
    TerminateProcess(GetCurrentProcess(), 9);
    return 1;
}
