#include "i18n/LanguageList.h"
#include "platform/FileError.h"

#include "ExecutableFolder.h"
#include "Files.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace zentory;
using Lines = std::vector<std::string>;

namespace {
std::vector<std::string> tags(const std::vector<LanguageChoice>& list) {
    std::vector<std::string> out;
    for (const auto& l : list) {
        out.push_back(l.tag + "=" + l.name);
    }
    return out;
}
} // namespace

TEST(LanguageList, TagLinesAndTheirNameLines) {
    Lines file = {"[1033]", "00001 Please select", "00002 English", "00010 Step", "[EOL]",
                  "[1031]", "00001 Sprache",       "00002 Deutsch", "[EOL]",      "[1036]"};
    EXPECT_EQ(tags(parseLanguageList(file)),
              (Lines{"[1033]=English", "[1031]=Deutsch", "[1036]="}));
}

TEST(LanguageList, OnlySixByteLinesStartingWithABracketAreTags) {
    Lines file = {"[EOL]", "[10330]", " [1033]", "[----]", "x", "00002 System"};
    EXPECT_EQ(tags(parseLanguageList(file)), Lines{"[----]=System"});
    EXPECT_TRUE(parseLanguageList({"00002 English", ""}).empty());
}

TEST(LanguageList, ATagInTheNameLineIsConsumed) {
    Lines file = {"[1033]",        "00001 x", "[1031]", "00001 y",
                  "00002 Deutsch", "[1036]",  "x",      "000002"};
    EXPECT_EQ(tags(parseLanguageList(file)), (Lines{"[1033]=", "[1036]="}));
}

TEST(LanguageList, PreselectionTakesTheLastMatchingTag) {
    std::vector<LanguageChoice> list = {
        {"[1033]", "English"}, {"[1031]", "Deutsch"}, {"[1031]", "Deutsch (2)"}};
    EXPECT_EQ(selectionForTag(list, "[1031]"), "Deutsch (2)");
    EXPECT_EQ(selectionForTag(list, "[----]"), kSystemDefaultLanguage);
    EXPECT_EQ(selectionForTag(list, ""), kSystemDefaultLanguage);
    EXPECT_EQ(selectionForTag({}, "[1033]"), kSystemDefaultLanguage);
}

TEST(LanguageList, ConfirmedTextMapsBackByExactNameLastOneWinning) {
    std::vector<LanguageChoice> list = {
        {"[1033]", "English"}, {"[2057]", "English"}, {"[1031]", "Deutsch"}};
    EXPECT_EQ(tagForSelection(list, "English", "[1031]"), "[2057]");
    EXPECT_EQ(tagForSelection(list, "english", "[1031]"), "[1031]");
    EXPECT_EQ(tagForSelection(list, kSystemDefaultLanguage, "[----]"), "[----]");
    EXPECT_EQ(tagForSelection(list, "", "[1033]"), "[1033]");
}

TEST(LanguageList, ReadsTheTranslationFileBesideTheExecutable) {
    const test::TempDir dir;
    const test::ExecutableFolder useDir(dir.path());
    test::writeBytes(dir / "config.ini", "Product ID\r\ndemo\r\n");
    EXPECT_THROW(readLanguageList(CSettingsStore()), platform::FileError);
    test::writeBytes(dir / "demotrl.ini", "[1033]\r\n00001 x\r\n00002 English\r\n[EOL]\r\n");
    EXPECT_EQ(tags(readLanguageList(CSettingsStore())), Lines{"[1033]=English"});
}
