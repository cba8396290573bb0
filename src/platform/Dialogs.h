#pragma once

#include <QString>

// Modal message boxes and the open-file dialog. Every box carries the
// application title and an OK button only.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Input errors, warnings and error reports: critical (stop) icon.
    virtual void critical(const QString& text) = 0;
    // Confirmations: information icon.
    virtual void information(const QString& text) = 0;
    // Asks for a file to open; with allowNew the user may also type a name that
    // does not exist yet. Returns an empty string when the user cancels.
    virtual QString openFileName(const QString& filter, bool allowNew) = 0;
};
