#pragma once

#include <QTranslator>

// The language of the command line follows the locale: Chinese under a
// Chinese one, English otherwise. The layers below write their messages in
// Chinese (the window shows them as they are); in English the command line
// translates them, so that no line it prints mixes the two languages.
namespace cli {

enum class Language { English, Chinese };

// The language the environment asks for: LC_ALL, LC_MESSAGES or LANG, the
// first of them set, names a Chinese locale (zh, zh_CN.UTF-8, ...) or not.
Language languageFromEnvironment();

// Installs the translations of a language for as long as it lives.
class LanguageScope {
public:
    explicit LanguageScope(Language language);
    ~LanguageScope();
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    QTranslator m_translator;
    bool m_installed = false;
};

} // namespace cli
