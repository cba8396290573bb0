#pragma once

#include "platform/RecentFiles.h"

#include <QString>
#include <QStringList>

// A modal message box. Without buttons of its own it has one OK button.
struct MessageBox {
    enum class Icon { Critical, Information, Question };

    Icon icon = Icon::Information;
    QString text;
    // A longer text (a list, say) the user can unfold under the message.
    QString details;
    // Button captions, left to right; the first is the default button.
    QStringList buttons;
    // The answer when the user closes the box without a button (Esc).
    int escapeButton = 0;
    // A tick box under the text when not empty, unticked at first.
    QString option;
    // A button besides the others that does something more than close the
    // box (opens the document, say) when not empty.
    QString action{};
};

struct MessageAnswer {
    int button = 0;
    bool optionTicked = false;
    // The action button was chosen.
    bool action = false;
};

// Modal message boxes and the open-file dialog. Every box carries the
// application title.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer show(const MessageBox& box) = 0;
    // Asks for a file to open under the title saying what the file is for,
    // starting in the folder used last for that kind; a document may also be
    // a name that does not exist yet, a workbook must exist. Returns an
    // empty string when the user cancels.
    using FileKind = RecentFiles::Kind;
    virtual QString openFileName(const QString& title, const QString& filter, FileKind kind) = 0;
    // A file of the kind was used (chosen, named on the command line,
    // dropped): the next dialog for that kind starts in its folder.
    virtual void noteUsed(FileKind kind, const QString& path) {
        (void)kind;
        (void)path;
    }

    // Input errors, warnings and error reports: critical (stop) icon, OK only.
    void critical(const QString& text) { show({MessageBox::Icon::Critical, text, {}, {}, 0, {}}); }
    // Confirmations: information icon, OK only.
    void information(const QString& text) {
        show({MessageBox::Icon::Information, text, {}, {}, 0, {}});
    }
    // Asks a question; returns the index of the button chosen.
    int ask(MessageBox::Icon icon, const QString& text, const QStringList& buttons,
            int escapeButton) {
        return show({icon, text, {}, buttons, escapeButton, {}}).button;
    }
};
