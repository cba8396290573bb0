#include "platform/QtDialogs.h"

#include "platform/AppInfo.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// Message texts use CR LF line breaks; a message box wants plain newlines.
QString forDisplay(const QString& text) {
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

void QtDialogs::critical(const QString& text) {
    QMessageBox::critical(m_parent, appinfo::messageTitle(), forDisplay(text));
}

void QtDialogs::information(const QString& text) {
    QMessageBox::information(m_parent, appinfo::messageTitle(), forDisplay(text));
}

QString QtDialogs::openFileName(const QString& filter, bool allowNew) {
    if (!allowNew)
        return QFileDialog::getOpenFileName(m_parent, QString(), QString(), filter);
    // A save-style dialog lets the user pick an existing file or type a new
    // name; appending to an existing file is not an overwrite, so no prompt.
    return QFileDialog::getSaveFileName(m_parent, QString(), QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}
