#include "platform/widgets/QtDialogs.h"

#include "platform/AppInfo.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

// Message texts use CR LF line breaks; a message box wants plain newlines.
QString forDisplay(const QString& text) {
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QMessageBox::Icon iconOf(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    case MessageBox::Icon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

MessageAnswer QtDialogs::show(const MessageBox& box) {
    QMessageBox dialog(iconOf(box.icon), appinfo::messageTitle(), forDisplay(box.text),
                       QMessageBox::NoButton, m_parent);
    if (!box.details.isEmpty())
        dialog.setDetailedText(forDisplay(box.details));
    QList<QAbstractButton*> buttons;
    if (box.buttons.isEmpty()) {
        buttons.append(dialog.addButton(QMessageBox::Ok));
    } else {
        for (const QString& caption : box.buttons)
            buttons.append(dialog.addButton(caption, QMessageBox::ActionRole));
    }
    dialog.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    const int escape = std::clamp(box.escapeButton, 0, int(buttons.size()) - 1);
    dialog.setEscapeButton(buttons.at(escape));
    if (!box.option.isEmpty())
        dialog.setCheckBox(new QCheckBox(box.option, &dialog));
    QAbstractButton* action =
        box.action.isEmpty() ? nullptr : dialog.addButton(box.action, QMessageBox::ActionRole);
    dialog.exec();
    const int chosen = int(buttons.indexOf(dialog.clickedButton()));
    return {chosen < 0 ? escape : chosen, dialog.checkBox() && dialog.checkBox()->isChecked(),
            action && dialog.clickedButton() == action};
}

QString QtDialogs::openFileName(const QString& title, const QString& filter, FileKind kind) {
    QFileDialog dialog(m_parent, title, m_recent.folder(kind), filter);
    if (kind == FileKind::Document) {
        // A save-style dialog lets the user pick an existing file or type a
        // new name; appending to an existing file is not an overwrite.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    QStringList folders;
    for (const QString& file : m_recent.files(kind)) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder))
            folders.append(folder);
    }
    QList<QUrl> sidebar = dialog.sidebarUrls();
    for (const QString& folder : folders)
        if (!sidebar.contains(QUrl::fromLocalFile(folder)))
            sidebar.append(QUrl::fromLocalFile(folder));
    dialog.setSidebarUrls(sidebar);
    dialog.setHistory(folders);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().first();
    m_recent.remember(kind, chosen);
    return chosen;
}
