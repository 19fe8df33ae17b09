// zentory-cli.exe run as a real process under Wine: the worked example byte
// for byte with "\", names beyond the ANSI code page, a folder loop, files it
// may not write, and the exit codes of the Linux CLI.

#include "WinTest.h"

#include <ctime>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>
#include <windows.h>

using namespace wintest;

namespace {

class WindowsCli : public testing::Test {
protected:
    Finished run(const std::vector<std::string>& args) { return runProgram(cliPath(), args); }

    // The footer's time now, as the CLI writes it.
    static std::string stampNow() {
        const std::time_t now = std::time(nullptr);
        char text[32];
        std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", std::localtime(&now));
        return text;
    }

    TempDir dir;
};

} // namespace

TEST_F(WindowsCli, WorkedExampleGivesTheExampleTextWithBackslashes) {
    const std::string work = dir / "Work";
    makeWorkTree(work);
    const std::string before = stampNow();
    const Finished r = run({"-r", "-o", dir / "out.txt", work});
    const std::string after = stampNow();
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    const std::string written = readBytes(dir / "out.txt");
    const std::string stamp = written.find(after) != std::string::npos ? after : before;
    EXPECT_EQ(written, replaced(windowsGolden("work_export_startup_options.txt", work),
                                "2007/05/17 14:30", stamp));
}

TEST_F(WindowsCli, OptionsShapeTheTextAndStandardOutputGetsTheSameBytes) {
    const std::string work = dir / "Work";
    makeWorkTree(work);
    const std::string expected =
        windowsGolden("work_export_full_path_no_extensions_no_date.txt", work);
    const Finished toFile = run({"-r", "-f", "-x", "-d", "-o", dir / "out.txt", work + "\\"});
    ASSERT_EQ(toFile.status, 0u) << toFile.err;
    EXPECT_EQ(readBytes(dir / "out.txt"), expected);
    const Finished toOutput = run({"-rfxd", work + "\\img\\.."});
    ASSERT_EQ(toOutput.status, 0u) << toOutput.err;
    EXPECT_EQ(toOutput.out, expected);
    const Finished forward = run({"-rfxd", "-o", "-", work + "/img/old/../.."});
    EXPECT_EQ(forward.out, expected);
}

TEST_F(WindowsCli, GreekAndJapaneseNamesReachFileAndOutputAsUtf8) {
    const std::string folder = dir / "\xce\xa6\xcf\x89\xcf\x84\xce\xbf";        // Φωτο
    writeBytes(folder + "\\\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1.jpg", "x"); // Αθήνα.jpg
    writeBytes(folder + "\\\xe6\x9d\xb1\xe4\xba\xac.jpg", "x");                 // 東京.jpg
    writeBytes(folder + "\\\xf0\x9f\x93\x81.txt", "x"); // beyond the basic plane
    const std::string expected = "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1.jpg\r\n"
                                 "\xe6\x9d\xb1\xe4\xba\xac.jpg\r\n"
                                 "\xf0\x9f\x93\x81.txt\r\n";
    const std::string out = dir / "\xe3\x83\xaa\xe3\x82\xb9\xe3\x83\x88.txt"; // リスト.txt
    const Finished toFile = run({"-d", "-o", out, folder});
    ASSERT_EQ(toFile.status, 0u) << toFile.err;
    const std::string written = readBytes(out);
    EXPECT_EQ(written.substr(written.find("\r\n\r\n") + 4), expected);
    EXPECT_NE(written.find(folder + "\\..."), std::string::npos) << written;
    const Finished toOutput = run({"-d", folder});
    EXPECT_EQ(toOutput.out, written);
}

TEST_F(WindowsCli, AFolderLoopIsListedOnce) {
    const Finished r = run({"-r", "-f", "-d", "C:\\zentory-loop"});
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_NE(r.out.find("C:\\zentory-loop\\a\\inner.txt\r\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("up\\"), std::string::npos) << r.out;
}

// A file another program holds open, and a read-only one: one line, exit 1,
// the file as it was.
TEST_F(WindowsCli, AHeldOrReadOnlyFileFailsAndStaysAsItWas) {
    const std::string work = dir / "Work";
    makeWorkTree(work);
    for (const bool held : {true, false}) {
        const std::string out = dir / (held ? "held.txt" : "read-only.txt");
        writeBytes(out, "old");
        std::optional<HeldOpen> holder;
        if (held) {
            holder.emplace(out);
        } else {
            ASSERT_TRUE(SetFileAttributesW(pathOf(out).c_str(), FILE_ATTRIBUTE_READONLY));
        }
        const Finished r = run({"-o", out, work});
        EXPECT_EQ(r.status, 1u);
        const std::string start = "zentory-cli: cannot open '" + out + "': ";
        if (held) {
            EXPECT_EQ(r.err, start + "another program has the file open\n");
        } else {
            EXPECT_TRUE(r.err.starts_with(start)) << r.err;
        }
        EXPECT_EQ(readBytes(out), "old");
    }
}

// As Explorer and people quote a folder that ends in a backslash; the C
// runtime's rules would read "C:\Work Two\" -f ... as one argument.
TEST_F(WindowsCli, AQuotedFolderEndingInABackslashIsThatFolder) {
    const std::string work = dir / "Work Two";
    makeWorkTree(work);
    const Finished r =
        runCommandLine(cliPath(), " \"" + work + "\\\" -f -d -o \"" + dir / "out.txt" + "\"");
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_NE(readBytes(dir / "out.txt").find("\r\n" + work + "\\notes.txt\r\n"),
              std::string::npos);
}

struct ExitCase {
    const char* name;
    std::vector<std::string> args;
    unsigned long status;
    const char* errStart;
};

void PrintTo(const ExitCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowsCliExit : public testing::TestWithParam<ExitCase> {};

TEST_P(WindowsCliExit, IsTheLinuxOne) {
    TempDir dir;
    makeWorkTree(dir / "Work");
    std::vector<std::string> args;
    for (const auto& a : GetParam().args) {
        args.push_back(replaced(a, "WORK", dir / "Work"));
    }
    const Finished r = runProgram(cliPath(), args);
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    EXPECT_TRUE(r.err.starts_with(GetParam().errStart)) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCliExit,
    testing::Values(
        ExitCase{"NullDevice", {"-o", "NUL", "WORK"}, 0, ""},
        ExitCase{"MissingFolder", {"WORK\\missing"}, 1, "zentory-cli: cannot "},
        ExitCase{"MissingOutputFolder",
                 {"-o", "WORK\\no folder\\x.txt", "WORK"},
                 1,
                 "zentory-cli: cannot "},
        ExitCase{"NoFolder", {}, 2, "zentory-cli: FOLDER is required"},
        ExitCase{"EmptyOutput", {"-o", "", "WORK"}, 2, "zentory-cli: --output: an empty FILE"},
        ExitCase{"UnknownFormat", {"--format", "xml", "WORK"}, 2, "zentory-cli: --format"}),
    [](const testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

TEST_F(WindowsCli, HelpNamesTheLineEndsAndTheSeparator) {
    const Finished help = run({"--help"});
    EXPECT_EQ(help.status, 0u);
    EXPECT_NE(help.out.find("CR LF line ends"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("written with '\\'"), std::string::npos) << help.out;
}

namespace {

// Sets the time of last change of every file of the worked example's tree.
void setTimes(const std::string& work, const std::vector<std::string>& files, int64_t unixSeconds) {
    const int64_t ticks = (unixSeconds + 11'644'473'600) * 10'000'000;
    const FILETIME t{static_cast<DWORD>(ticks & 0xffffffff), static_cast<DWORD>(ticks >> 32)};
    for (const auto& f : files) {
        HANDLE h = CreateFileW(pathOf(work + "\\" + f).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << f;
        EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
        CloseHandle(h);
    }
}

// The instant a table's "2026-12-08T13:00:00+01:00" names, in seconds since 1970.
int64_t instantOf(const std::string& stamp) {
    std::tm tm{};
    tm.tm_year = std::stoi(stamp.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(stamp.substr(5, 2)) - 1;
    tm.tm_mday = std::stoi(stamp.substr(8, 2));
    tm.tm_hour = std::stoi(stamp.substr(11, 2));
    tm.tm_min = std::stoi(stamp.substr(14, 2));
    tm.tm_sec = std::stoi(stamp.substr(17, 2));
    const int sign = stamp[19] == '-' ? -1 : 1;
    const int offset =
        sign * (std::stoi(stamp.substr(20, 2)) * 3600 + std::stoi(stamp.substr(23, 2)) * 60);
    return static_cast<int64_t>(_mkgmtime(&tm)) - offset;
}

} // namespace

TEST_F(WindowsCli, TablesCarryBackslashesSizesAndLocalTimesWithTheirOffset) {
    const std::string work = dir / "Work";
    makeWorkTree(work);
    const std::vector<std::string> files = {
        "Budget.xls",     "img\\logo.png", "img\\old\\logo.bak.png",
        "img\\thumbs.db", "notes.txt",     "zeta.doc"};
    constexpr int64_t kNoon = 1'796'731'200; // 2026-12-08 12:00:00 UTC
    setTimes(work, files, kNoon);
    const Finished csv = run({"-r", "--format", "csv", work});
    ASSERT_EQ(csv.status, 0u) << csv.err;
    std::vector<std::string> rows;
    for (size_t at = 0, end; (end = csv.out.find("\r\n", at)) != std::string::npos; at = end + 2) {
        rows.push_back(csv.out.substr(at, end - at));
    }
    ASSERT_EQ(rows.size(), 7u) << csv.out;
    EXPECT_EQ(rows[0], "path,folder,name,extension,size,modified");
    const std::string old = work + "\\img\\old\\logo.bak.png,img\\old,logo.bak.png,png,1,";
    EXPECT_EQ(rows[3].substr(0, old.size()), old) << rows[3];
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::string stamp = rows[i].substr(rows[i].rfind(',') + 1);
        ASSERT_EQ(stamp.size(), 25u) << rows[i];
        EXPECT_EQ(instantOf(stamp), kNoon) << rows[i];
    }

    const Finished json = run({"-r", "--format", "json", "--totals", work});
    ASSERT_EQ(json.status, 0u) << json.err;
    const std::string escapedWork = replaced(work, "\\", "\\\\");
    EXPECT_TRUE(json.out.starts_with("{\"folder\":\"" + escapedWork +
                                     "\",\"totals\":{\"files\":6,\"bytes\":6},\"files\":[\n"))
        << json.out;
    EXPECT_NE(json.out.find("{\"path\":\"" + escapedWork +
                            "\\\\img\\\\old\\\\logo.bak.png\",\"folder\":\"img\\\\old\",\"name\":"
                            "\"logo.bak.png\",\"extension\":\"png\",\"size\":1,\"modified\":\""),
              std::string::npos)
        << json.out;
}

TEST_F(WindowsCli, TreeAndPageJoinPathsWithBackslashes) {
    const std::string work = dir / "Work";
    makeWorkTree(work);
    const Finished tree = run({"-r", "-d", "--format", "tree", "--ascii", work});
    ASSERT_EQ(tree.status, 0u) << tree.err;
    EXPECT_EQ(tree.out, work + "\n|-- Budget.xls\n|-- img\n|   |-- logo.png\n|   |-- old\n"
                               "|   |   `-- logo.bak.png\n|   `-- thumbs.db\n|-- notes.txt\n"
                               "`-- zeta.doc\n\n2 folders, 6 files\n");
    const Finished full = run({"-r", "-d", "-f", "--format", "tree", work});
    EXPECT_NE(full.out.find(work + "\\img\\old\n"), std::string::npos) << full.out;

    const Finished page = run({"-r", "-d", "-f", "--format", "html", work});
    ASSERT_EQ(page.status, 0u) << page.err;
    EXPECT_NE(page.out.find("<h1>Contents of " + work + "\\...</h1>"), std::string::npos)
        << page.out;
    EXPECT_NE(page.out.find("<h2>Folder ...\\img\\old</h2>"), std::string::npos) << page.out;
    EXPECT_NE(page.out.find("<tr><td>" + work + "\\img\\old\\logo.bak.png</tr>"), std::string::npos)
        << page.out;
}

TEST_F(WindowsCli, ADriveRootDoublesTheSeparatorAsTheRootDoesOnLinux) {
    const std::string file = "C:\\zentory-root-test.txt";
    writeBytes(file, "x");
    const Finished r = run({"-f", "-d", "C:\\"});
    DeleteFileW(pathOf(file).c_str());
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_TRUE(r.out.starts_with("Contents of C:\\\\...\r\n\r\n")) << r.out;
    EXPECT_NE(r.out.find("\r\nC:\\\\zentory-root-test.txt\r\n"), std::string::npos) << r.out;
}
