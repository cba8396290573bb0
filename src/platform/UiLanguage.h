#pragma once

// The language of the user interface, Qt's own texts included.
namespace uilanguage {

// Loads Qt's own texts (standard buttons, file dialogs, context menus) in
// Simplified Chinese from the translations Debian installs with Qt. The
// program speaks Chinese whatever the system's language, so Qt's texts follow
// the program, not the locale. False when the translations are missing; Qt's
// texts then stay English.
bool installQtTranslations();

} // namespace uilanguage
