#include "platform/SystemLanguage.h"

#include <cstdlib>
#include <gtest/gtest.h>

using zentory::platform::kLanguageRegistryKey;
using zentory::platform::languageIdForLocale;
using zentory::platform::readRegistryString;

namespace {

// Sets the three locale variables for one test and puts the old values back.
class LocaleEnvironment {
public:
    LocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
        for (int i = 0; i < 3; ++i) {
            const char* old = std::getenv(kNames[i]);
            m_saved[i] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        set(0, lcAll);
        set(1, lcMessages);
        set(2, lang);
    }
    ~LocaleEnvironment() {
        for (int i = 0; i < 3; ++i) {
            set(i, m_saved[i] ? m_saved[i]->c_str() : nullptr);
        }
    }

private:
    static void set(int i, const char* value) {
        value ? ::setenv(kNames[i], value, 1) : ::unsetenv(kNames[i]);
    }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> m_saved[3];
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
