#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace zentory::qt {

QtTranslations::~QtTranslations() {
    Unload();
}

bool QtTranslations::Load(const std::string& locale) {
    Unload();
    if (locale.empty()) {
        return false;
    }
    auto translator = std::make_unique<QTranslator>();
    // Tries qtbase_de_DE, then qtbase_de, in Qt's folder.
    if (!translator->load(QLocale(QString::fromStdString(locale)), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    m_translator = std::move(translator);
    QCoreApplication::installTranslator(m_translator.get());
    return true;
}

void QtTranslations::Unload() {
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
}

} // namespace zentory::qt
