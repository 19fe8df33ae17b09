// The settings and translation files that ship beside the program.

#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "platform/TextFile.h"

#include "ExecutableFolder.h"
#include "Files.h"
#include "ProgramFolder.h"

#include <gtest/gtest.h>

using zentory::CSettingsStore;
using zentory::CTranslator;
using namespace zentory::test;

namespace {

// Every key that the window, the dialogs and the export ask for.
const int kKeysInUse[] = {1,  5,  10, 12, 14, 16, 18,  20,  22,  24,  26,  30,  32, 34, 36,
                          38, 40, 42, 50, 52, 54, 56,  58,  60,  70,  72,  74,  76, 78, 80,
                          82, 84, 86, 90, 92, 94, 200, 217, 220, 245, 250, 255, 260};
// The window's reports and its names for assistive technology; the digit
// grouping and the closing line of the HTML page and the tree.
const int kWindowKeys[] = {96, 98, 340, 342, 344, 350, 351, 352, 353, 354};
// Keys whose texts take the file (or the number of files) as "%1".
const int kKeysWithPlaceholder[] = {70, 72, 74, 76, 78, 80, 82, 84, 86, 92};
// The same for a folder named at start, and for the number of files in the list.
const int kWindowKeysWithPlaceholder[] = {96, 98, 351, 352, 353, 354};

class ShippedData : public ::testing::Test {
protected:
    const zentory::test::ExecutableFolder useShipped{shippedFolder()};
};

} // namespace

TEST_F(ShippedData, SettingsNameTheProductAndFollowTheSystemLanguage) {
    CSettingsStore store;
    EXPECT_EQ(store.ReadSetting("Product ID"), "zentory");
    EXPECT_EQ(store.ReadSetting("Language"), "[----]");
    EXPECT_EQ(store.ReadSetting("Dialects[1031]"), "[2055][3079][4103][5127]");
    EXPECT_FALSE(store.ReadSetting("Homepage").empty());
}

TEST_F(ShippedData, EverySectionAnswersEveryKey) {
    const auto lines = zentory::platform::readLines(shippedFile("zentorytrl.ini"));
    const std::map<std::string, std::string> names = {
        {"[1033]", "English"}, {"[1031]", "Deutsch"}, {"[1036]", "Français"}};
    for (const auto& [tag, name] : names) {
        SCOPED_TRACE(tag);
        auto tagLine = std::find(lines.begin(), lines.end(), tag);
        ASSERT_NE(tagLine, lines.end());
        ASSERT_GT(lines.end() - tagLine, 2);
        EXPECT_EQ(tagLine[2].substr(6), name);

        const auto entries = zentory::parseSection(lines, tag);
        std::vector<int> keys(std::begin(kKeysInUse), std::end(kKeysInUse));
        keys.insert(keys.end(), std::begin(kWindowKeys), std::end(kWindowKeys));
        for (int key : keys) {
            bool found = std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
                return e.m_nKey == key && !e.m_strText.empty();
            });
            EXPECT_TRUE(found) << "key " << key;
        }
        std::vector<int> placeholders(std::begin(kKeysWithPlaceholder),
                                      std::end(kKeysWithPlaceholder));
        placeholders.insert(placeholders.end(), std::begin(kWindowKeysWithPlaceholder),
                            std::end(kWindowKeysWithPlaceholder));
        for (int key : placeholders) {
            const auto entry = std::find_if(entries.begin(), entries.end(),
                                            [&](const auto& e) { return e.m_nKey == key; });
            ASSERT_NE(entry, entries.end()) << "key " << key;
            EXPECT_NE(entry->m_strText.find("%1"), std::string::npos) << "key " << key;
        }
    }
}

TEST_F(ShippedData, FilesUseCrLfLineEnds) {
    for (const char* name : {"config.ini", "zentorytrl.ini"}) {
        const std::string bytes = readBytes(shippedFile(name));
        size_t lf = std::count(bytes.begin(), bytes.end(), '\n');
        size_t crlf = 0;
        for (size_t i = 1; i < bytes.size(); ++i) {
            crlf += bytes[i] == '\n' && bytes[i - 1] == '\r';
        }
        EXPECT_GT(lf, 0u) << name;
        EXPECT_EQ(lf, crlf) << name;
    }
}
