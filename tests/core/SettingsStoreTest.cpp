#include "i18n/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/FileError.h"

#include "EnvironmentVariable.h"
#include "ExecutableFolder.h"
#include "Files.h"
#include "Nobody.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using zentory::CSettingsStore;
using zentory::platform::FileError;
using namespace zentory::test;

// A store whose executable folder is a fresh temporary folder.
class SettingsStoreTest : public ::testing::Test {
protected:
    void config(const std::string& bytes) { writeBytes(dir / "config.ini", bytes); }
    std::string config() const { return readBytes(dir / "config.ini"); }

    TempDir dir;
    ExecutableFolder useDir{dir.path()};
    CSettingsStore store;
};

TEST_F(SettingsStoreTest, ExampleFileReadsPairsAndAnyLineCanBeAKey) {
    config("Product ID\r\ndemo\r\nLanguage\r\n[----]\r\nDialects[1031]\r\n[2055][5127]\r\n");
    EXPECT_EQ(store.GetExeFolder(), dir.path());
    EXPECT_EQ(store.ReadSetting("Product ID"), "demo");
    EXPECT_EQ(store.ReadSetting("Dialects[1031]"), "[2055][5127]");
    EXPECT_EQ(store.ReadSetting("demo"), "Language");
    EXPECT_EQ(store.ReadSetting("Homepage"), "");
}

TEST_F(SettingsStoreTest, KeysCompareExactly) {
    config("language\nfirst\nLanguage \nsecond\n");
    EXPECT_EQ(store.ReadSetting("Language"), "");
    EXPECT_EQ(store.ReadSetting("Language "), "second");
}

TEST_F(SettingsStoreTest, LastKeyLineWinsAndAValueLineIsConsumed) {
    config("Language\n[1033]\nLanguage\n[1031]\n");
    EXPECT_EQ(store.ReadSetting("Language"), "[1031]");
    config("Language\nLanguage\n[1031]\n");
    EXPECT_EQ(store.ReadSetting("Language"), "Language");
    config("Language\n[1031]\nLanguage");
    EXPECT_EQ(store.ReadSetting("Language"), "");
    config("Homepage\n  with spaces  \n");
    EXPECT_EQ(store.ReadSetting("Homepage"), "  with spaces  ");
}

TEST_F(SettingsStoreTest, WriteReplacesEveryValueAndTestsValueLinesToo) {
    config("Language\n[1033]\nX\nLanguage\n[1036]\n");
    store.WriteSetting("Language", "[1031]");
    EXPECT_EQ(config(), "Language\r\n[1031]\r\nX\r\nLanguage\r\n[1031]\r\n");

    config("Language\nLanguage\n[1031]\n");
    store.WriteSetting("Language", "[1036]");
    EXPECT_EQ(config(), "Language\r\n[1036]\r\n[1031]\r\n");
    EXPECT_EQ(store.ReadSetting("Language"), "[1036]");
}

TEST_F(SettingsStoreTest, WriteOfAMissingKeyAddsNothingButRewritesWithCrLf) {
    config("Product ID\nzentory\nLanguage");
    store.WriteSetting("Homepage", "x");
    store.WriteSetting("Language", "[1031]");
    EXPECT_EQ(config(), "Product ID\r\nzentory\r\nLanguage\r\n");
}

TEST_F(SettingsStoreTest, MissingFileRaisesAndWriteLeavesNothingBehind) {
    EXPECT_THROW(store.ReadSetting("Language"), FileError);
    EXPECT_THROW(store.WriteSetting("Language", "[1031]"), FileError);
    EXPECT_FALSE(std::filesystem::exists(dir / "config.ini"));
}

TEST_F(SettingsStoreTest, ReadOnlySettingsFileIsReportedAndKept) {
    openUpForEveryone(dir.path());
    config("Language\n[1033]\n");
    std::filesystem::permissions(dir / "config.ini", std::filesystem::perms(0444),
                                 std::filesystem::perm_options::replace);
    int code = runAsNobody([&] {
        try {
            store.WriteSetting("Language", "[1031]");
        } catch (const FileError&) {
            return store.ReadSetting("Language") == "[1033]" ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(config(), "Language\n[1033]\n");
}

TEST(SettingsNumbers, ParseDecimalGivesEveryBytePlaceValue) {
    EXPECT_EQ(CSettingsStore::ParseDecimal("00010"), 10);
    EXPECT_EQ(CSettingsStore::ParseDecimal("12   "), 12000);
    EXPECT_EQ(CSettingsStore::ParseDecimal("  10 "), 100);
    EXPECT_EQ(CSettingsStore::ParseDecimal("1a3"), 103);
    EXPECT_EQ(CSettingsStore::ParseDecimal("-5"), 5);
    EXPECT_EQ(CSettingsStore::ParseDecimal(""), 0);
}

TEST(SettingsNumbers, ParseHexKnowsLowerCaseDigitsOnly) {
    EXPECT_EQ(CSettingsStore::ParseHex("0407"), 1031);
    EXPECT_EQ(CSettingsStore::ParseHex("0409"), 1033);
    EXPECT_EQ(CSettingsStore::ParseHex("040c"), 1036);
    EXPECT_EQ(CSettingsStore::ParseHex("040C"), 1024);
    EXPECT_EQ(CSettingsStore::ParseHex("0C07"), 7);
    // Long texts wrap instead of overflowing.
    (void)CSettingsStore::ParseHex(std::string(40, 'f'));
    (void)CSettingsStore::ParseDecimal(std::string(40, '9'));
}

TEST(SettingsTimeStamp, TwelveDigitsWithLeadingZeros) {
    zentory::platform::setClockForTesting(zentory::platform::LocalTime{2008, 1, 3, 9, 5});
    EXPECT_EQ(CSettingsStore::GetTimeStamp(), "200801030905");
    zentory::platform::setClockForTesting(zentory::platform::LocalTime{2007, 12, 31, 0, 0});
    EXPECT_EQ(CSettingsStore::GetTimeStamp(), "200712310000");
    zentory::platform::setClockForTesting({});
    EXPECT_EQ(CSettingsStore::GetTimeStamp().size(), 12u);
}

TEST(SettingsTimeStamp, PadLeftNeverShortens) {
    EXPECT_EQ(CSettingsStore::PadLeft("5", 2), "05");
    EXPECT_EQ(CSettingsStore::PadLeft("", 3), "000");
    EXPECT_EQ(CSettingsStore::PadLeft("123", 2), "123");
}

// An installed tree: the executable in bin/, the shipped files in
// share/zentory/, and the user's settings below XDG_CONFIG_HOME.
class InstalledSettings : public ::testing::Test {
protected:
    InstalledSettings() {
        std::filesystem::create_directories(dir / "bin");
        writeBytes(shipped(), "Product ID\r\nzentory\r\nLanguage\r\n[----]\r\n");
        configHome.set((dir / "config").c_str());
    }
    std::string shipped() const { return dir / "share/zentory/config.ini"; }
    std::string own() const { return dir / "config/zentory/config.ini"; }

    TempDir dir;
    ExecutableFolder useBin{dir / "bin"};
    EnvironmentVariable configHome{"XDG_CONFIG_HOME"};
    EnvironmentVariable home{"HOME"};
    CSettingsStore store;
};

TEST_F(InstalledSettings, ReadsTheShippedFileUntilTheUserHasOwnAndNeverWritesIt) {
    EXPECT_EQ(store.GetExeFolder(), dir / "bin");
    EXPECT_EQ(store.GetDataFolder(), dir / "share/zentory");
    EXPECT_EQ(store.TranslationFilePath(), dir / "share/zentory/zentorytrl.ini");
    EXPECT_EQ(store.ReadSetting("Language"), "[----]");

    store.WriteSetting("Language", "[1031]");
    EXPECT_EQ(readBytes(shipped()), "Product ID\r\nzentory\r\nLanguage\r\n[----]\r\n");
    EXPECT_EQ(readBytes(own()), "Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\n");
    EXPECT_EQ(std::filesystem::status(dir / "config/zentory").permissions(),
              std::filesystem::perms::owner_all);
    EXPECT_EQ(store.SettingsPath(), own());
    EXPECT_EQ(store.ReadSetting("Language"), "[1031]");

    // Later writes change the user's file; the shipped one is read no more.
    writeBytes(shipped(), "Language\r\n[1033]\r\n");
    store.WriteSetting("Language", "[1036]");
    EXPECT_EQ(readBytes(own()), "Product ID\r\nzentory\r\nLanguage\r\n[1036]\r\n");
    EXPECT_EQ(readBytes(shipped()), "Language\r\n[1033]\r\n");
}

TEST_F(InstalledSettings, WithoutAnAbsoluteXdgConfigHomeTheSettingsLiveInHomeDotConfig) {
    for (const char* value : {"relative/config", "", static_cast<const char*>(nullptr)}) {
        configHome.set(value);
        home.set((dir / "home").c_str());
        store.WriteSetting("Language", "[1033]");
        EXPECT_EQ(readBytes(dir / "home/.config/zentory/config.ini"),
                  "Product ID\r\nzentory\r\nLanguage\r\n[1033]\r\n");
        std::filesystem::remove_all(dir / "home");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "bin/relative"));
}

TEST_F(InstalledSettings, AConfigBesideTheProgramMakesItAPortableFolder) {
    writeBytes(dir / "bin/config.ini", "Language\r\n[1036]\r\n");
    EXPECT_EQ(store.GetDataFolder(), dir / "bin");
    store.WriteSetting("Language", "[1031]");
    EXPECT_EQ(readBytes(dir / "bin/config.ini"), "Language\r\n[1031]\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "config"));
}

TEST_F(InstalledSettings, ASettingsFolderThatCannotBeMadeIsReportedAndNothingChanges) {
    writeBytes(dir / "config", "a file where the folder should be");
    try {
        store.WriteSetting("Language", "[1031]");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir / "config/zentory");
    }
    EXPECT_EQ(readBytes(shipped()), "Product ID\r\nzentory\r\nLanguage\r\n[----]\r\n");
    EXPECT_EQ(store.ReadSetting("Language"), "[----]");
}
