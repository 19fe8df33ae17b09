#include "platform/SystemLanguage.h"

#include "EnvironmentVariable.h"

#include <gtest/gtest.h>

using zentory::platform::kLanguageRegistryKey;
using zentory::platform::languageIdForLocale;
using zentory::platform::readRegistryString;

namespace {

// Sets the three locale variables for one test and puts the old values back.
class LocaleEnvironment {
public:
    LocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
        m_lcAll.set(lcAll);
        m_lcMessages.set(lcMessages);
        m_lang.set(lang);
    }

private:
    const zentory::test::EnvironmentVariable m_lcAll{"LC_ALL"};
    const zentory::test::EnvironmentVariable m_lcMessages{"LC_MESSAGES"};
    const zentory::test::EnvironmentVariable m_lang{"LANG"};
};

} // namespace

TEST(SystemLanguage, LocaleNamesBecomeLanguageIdentifiers) {
    EXPECT_EQ(languageIdForLocale("de_CH.UTF-8"), "0807");
    EXPECT_EQ(languageIdForLocale("de_AT"), "0c07");
    EXPECT_EQ(languageIdForLocale("de_DE.UTF-8"), "0407");
    EXPECT_EQ(languageIdForLocale("en_US.UTF-8"), "0409");
    EXPECT_EQ(languageIdForLocale("fr_FR@euro"), "040c");
    EXPECT_EQ(languageIdForLocale("pt_BR"), "0416");
}

TEST(SystemLanguage, NoLocaleGivesTheEmptyText) {
    EXPECT_EQ(languageIdForLocale(""), "");
    EXPECT_EQ(languageIdForLocale("C"), "");
    EXPECT_EQ(languageIdForLocale("C.UTF-8"), "");
    EXPECT_EQ(languageIdForLocale("POSIX"), "");
}

TEST(SystemLanguage, EnvironmentPrecedenceAndOtherKeys) {
    {
        LocaleEnvironment env("de_CH.UTF-8", "fr_FR", "en_US");
        EXPECT_EQ(readRegistryString(kLanguageRegistryKey, "Default"), "0807");
        EXPECT_EQ(readRegistryString(kLanguageRegistryKey, "Other"), "");
        EXPECT_EQ(readRegistryString("SYSTEM\\Other", "Default"), "");
    }
    {
        LocaleEnvironment env("", "fr_FR", "en_US");
        EXPECT_EQ(readRegistryString(kLanguageRegistryKey, "Default"), "040c");
    }
    {
        LocaleEnvironment env(nullptr, nullptr, "de_AT.UTF-8");
        EXPECT_EQ(readRegistryString(kLanguageRegistryKey, "Default"), "0c07");
    }
    {
        LocaleEnvironment env(nullptr, nullptr, nullptr);
        EXPECT_EQ(readRegistryString(kLanguageRegistryKey, "Default"), "");
    }
}
