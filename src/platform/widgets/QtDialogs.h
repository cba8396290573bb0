#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

class QSettings;

// Dialogs shown with QMessageBox and QFileDialog, modal to a parent window.
// The file dialogs start in the folder used last for their kind and offer
// the folders of the files used last in their side bar and history.
class QtDialogs : public Dialogs {
public:
    QtDialogs(QWidget* parent, QSettings& settings) : m_parent(parent), m_recent(settings) {}

    MessageAnswer show(const MessageBox& box) override;
    QString openFileName(const QString& title, const QString& filter, FileKind kind) override;
    void noteUsed(FileKind kind, const QString& path) override { m_recent.remember(kind, path); }

private:
    QPointer<QWidget> m_parent;
    RecentFiles m_recent;
};
