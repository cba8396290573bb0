#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

// Dialogs shown with QMessageBox and QFileDialog, modal to a parent window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

    MessageAnswer show(const MessageBox& box) override;
    QString openFileName(const QString& title, const QString& filter, bool allowNew) override;

private:
    QPointer<QWidget> m_parent;
};
