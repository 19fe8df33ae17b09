#pragma once
// Qt's own texts in the interface language: the buttons and labels of Qt's
// file dialogs and message boxes come from Qt's "qtbase" translation of the
// language, read from Qt's translations folder. Where it is not installed, Qt
// speaks English, and nothing is reported.

#include <QTranslator>

#include <memory>
#include <string>

namespace zentory::qt {

class QtTranslations {
public:
    QtTranslations() = default;
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;
    ~QtTranslations();

    // Replaces the loaded translation by that of `locale` ("de_DE"); English
    // for "" and for a language without one. Returns whether one was loaded.
    bool Load(const std::string& locale);

private:
    void Unload();

    std::unique_ptr<QTranslator> m_translator;
};

} // namespace zentory::qt
