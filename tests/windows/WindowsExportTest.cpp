// The text export as Windows composes it: the worked example of the program
// this one follows, byte for byte with "\", and the drive root's layout.

#include "WinTest.h"

#include "export/TextExport.h"
#include "listing/FileList.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace wintest;

namespace {

constexpr zentory::platform::LocalTime kStamp{2007, 5, 17, 14, 30};

zentory::FileList listOf(const std::vector<std::string>& paths) {
    zentory::FileList files;
    for (const auto& path : paths) {
        files.append(path);
    }
    return files;
}

std::string compose(const std::string& folder, const std::vector<std::string>& paths,
                    zentory::ExportOptions options) {
    return zentory::composeExport(
        {listOf(paths), folder, options, {"Contents of", "Folder"}, kStamp});
}

const std::vector<std::string> kWork = {
    "C:\\Work\\Budget.xls",     "C:\\Work\\img\\logo.png", "C:\\Work\\img\\old\\logo.bak.png",
    "C:\\Work\\img\\thumbs.db", "C:\\Work\\notes.txt",     "C:\\Work\\zeta.doc"};

struct ExampleCase {
    const char* name;
    const char* golden;
    bool fullPath;
    bool extensions;
    bool dated;
};

void PrintTo(const ExampleCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowsWorkedExample : public testing::TestWithParam<ExampleCase> {};

} // namespace

TEST_P(WindowsWorkedExample, ComesOutByteForByte) {
    const ExampleCase& c = GetParam();
    zentory::ExportOptions options;
    options.showFullPath = c.fullPath;
    options.showExtensions = c.extensions;
    options.showDateTime = c.dated;
    EXPECT_EQ(compose("C:\\Work", kWork, options), windowsGolden(c.golden, "C:\\Work"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsWorkedExample,
    testing::Values(
        ExampleCase{"StartUpOptions", "work_export_startup_options.txt", false, true, true},
        ExampleCase{"FullPathNoExtensionsNoDate", "work_export_full_path_no_extensions_no_date.txt",
                    true, false, false}),
    [](const testing::TestParamInfo<ExampleCase>& info) { return std::string(info.param.name); });

TEST(WindowsExportLayout, ADriveRootDoublesItsSeparatorAndHeadsSubFoldersFromIt) {
    zentory::ExportOptions options;
    options.showDateTime = false;
    options.showFullPath = true;
    EXPECT_EQ(compose("C:\\", {"C:\\\\a.txt", "C:\\\\Sub\\b.txt"}, options),
              "Contents of C:\\\\...\r\n\r\nC:\\\\a.txt\r\n\r\n---\r\n\r\n"
              "Folder ...\\Sub:\r\n\r\nC:\\\\Sub\\b.txt\r\n");
}

TEST(WindowsExportLayout, OnlyTheLastDotOfTheNameEndsIt) {
    zentory::ExportOptions options;
    options.showDateTime = false;
    options.showFullPath = true;
    options.showExtensions = false;
    EXPECT_EQ(compose("C:\\Work", {"C:\\Work\\v1.2\\archive.tar.gz"}, options),
              "Contents of C:\\Work\\...\r\n\r\n\r\n---\r\n\r\nFolder ...\\v1.2:\r\n\r\n"
              "C:\\Work\\v1.2\\archive.tar\r\n");
}
