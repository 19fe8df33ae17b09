// A NUL byte inside a text of config.ini or of the translation file: the text
// ends there, as a C string would read it, so a name made from it reaches the
// system whole ("h<NUL>d" as "Product ID" names "htrl.ini", never "h").

#include "i18n/LanguageList.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "platform/TextFile.h"

#include "ExecutableFolder.h"
#include "Files.h"
#include "HostileNul.h"
#include "RamDir.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using namespace std::string_literals;

TEST(HostileNulByte, TextsEndAtTheNulAndNamesStayWhole) {
    const RamDir exe;
    putNulFiles(exe.path());
    const ExecutableFolder folder(exe.path());
    CSettingsStore store;
    EXPECT_EQ(store.TranslationFilePath(), exe / "htrl.ini");
    EXPECT_EQ(store.ReadSetting("Language"), "[1033]");
    CTranslator translator;
    translator.Load();
    EXPECT_EQ(translator.GetText(38), "Listed");
    const auto languages = readLanguageList(store);
    ASSERT_EQ(languages.size(), 1u);
    EXPECT_EQ(languages[0].name, "English");
    store.WriteSetting("Language", "[1031]");
    EXPECT_EQ(platform::readFile(exe / "config.ini"),
              "Product ID\r\nh\0d\r\nLanguage\0 old\r\n[1031]\r\n"s);
    recordSurvival("config.ini", kNulCase,
                   "each text ends at the NUL: the translation file is \"htrl.ini\", never \"h\"; "
                   "a language change keeps the bytes after each NUL");
}
