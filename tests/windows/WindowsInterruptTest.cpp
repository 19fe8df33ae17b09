// Ctrl+C under a console: held off while a write has
// something to take back, then acted on. In a program of its own, as a caught
// Ctrl+C stays caught for the rest of the process.

#include "WinTest.h"

#include "platform/write/Interruption.h"
#include "platform/write/SafeFile.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

using namespace wintest;
namespace platform = zentory::platform;

TEST(WindowsInterrupt, CtrlCDuringAWriteTakesItBackAndIsReported) {
    if (GetConsoleWindow() == nullptr && !AllocConsole()) {
        GTEST_SKIP() << "no console to send Ctrl+C in";
    }
    platform::catchInterruptions();
    TempDir dir;
    const std::string path = dir / "list.txt";
    writeBytes(path, "old");
    platform::SafeFile file(path);
    file.write("the first part of the new list\r\n");
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    // The handler runs on a thread of its own; the write sees the flag.
    for (int waited = 0; platform::caughtInterruption() == 0 && waited < 5000; waited += 10) {
        Sleep(10);
    }
    EXPECT_EQ(platform::caughtInterruption(), SIGINT);
    EXPECT_THROW(file.write("the rest\r\n"), platform::Interrupted);
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
}
