#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QtGlobal>

// The controls of the windows under test, found by their object names. A
// control that is not there ends the run with a message naming it, instead of
// a crash on a null pointer further on.
namespace controls {

template <typename T> T* control(const QObject& root, const QString& name) {
    T* found = root.findChild<T*>(name);
    if (!found)
        qFatal("No %s named \"%s\" in %s \"%s\"", T::staticMetaObject.className(), qPrintable(name),
               root.metaObject()->className(), qPrintable(root.objectName()));
    return found;
}

// The main window's fields, numbered from 0, and their captions.
inline QLineEdit* field(const QObject& root, int index) {
    return control<QLineEdit>(root, QStringLiteral("Text1_%1").arg(index));
}
inline QLabel* fieldCaption(const QObject& root, int index) {
    return control<QLabel>(root, QStringLiteral("Label1_%1").arg(index));
}

// A window's buttons by number; in the main window Command1 to Command5 are
// generate, save, import, run the batch and copy.
inline QPushButton* command(const QObject& root, int number) {
    return control<QPushButton>(root, QStringLiteral("Command%1").arg(number));
}

// Check1 (centre the main lobe) and Check2 (keep a specified time).
inline QCheckBox* check(const QObject& root, int number) {
    return control<QCheckBox>(root, QStringLiteral("Check%1").arg(number));
}

// The path of the target document.
inline QLineEdit* target(const QObject& root) {
    return control<QLineEdit>(root, QStringLiteral("Text2"));
}

// The rows of the imported workbook.
inline QListWidget* rowList(const QObject& root) {
    return control<QListWidget>(root, QStringLiteral("List1"));
}

// The path of the imported workbook.
inline QLabel* workbookLabel(const QObject& root) {
    return control<QLabel>(root, QStringLiteral("Label3"));
}

// What the last save or batch did.
inline QLabel* report(const QObject& root) {
    return control<QLabel>(root, QStringLiteral("Label4"));
}

// The plot.
inline QWidget* plot(const QObject& root) {
    return control<QWidget>(root, QStringLiteral("p1"));
}

// The plot menu's choice of picture ratio (1 to 3).
inline QAction* pictureRatio(const QObject& root, int ratio) {
    return control<QAction>(root, QStringLiteral("pictureRatio%1").arg(ratio));
}

} // namespace controls
