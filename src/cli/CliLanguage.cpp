#include "cli/CliLanguage.h"

#include <QCoreApplication>

namespace {

// The catalogues built from the .ts files, compiled into the program.
QString catalogue(cli::Language language) {
    return language == cli::Language::Chinese ? QStringLiteral(":/i18n/veltrace-cli_zh_CN.qm")
                                              : QStringLiteral(":/i18n/veltrace_en.qm");
}

} // namespace

cli::Language cli::languageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray locale = qgetenv(name);
        if (!locale.isEmpty())
            return locale.startsWith("zh") ? Language::Chinese : Language::English;
    }
    return Language::English;
}

cli::LanguageScope::LanguageScope(Language language) {
    if (QCoreApplication::instance() && m_translator.load(catalogue(language)))
        m_installed = QCoreApplication::installTranslator(&m_translator);
}

cli::LanguageScope::~LanguageScope() {
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}
