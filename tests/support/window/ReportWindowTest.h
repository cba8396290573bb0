#pragma once

#include "support/Controls.h"
#include "support/window/WindowTest.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

// What the tests of saving and of the batch share: the main window of
// WindowTest, a folder of its own and the report document's path in it. A
// test class derives from it and calls setUp() from init() and tearDown()
// from cleanup().
class ReportWindowTest : public WindowTest {
    Q_OBJECT
protected:
    void setUp();
    void tearDown();

    QLineEdit* field(int index) const { return controls::field(*m_form, index); }
    QLineEdit* target() const { return controls::target(*m_form); }
    QListWidget* list() const { return controls::rowList(*m_form); }
    QPushButton* batchButton() const { return controls::command(*m_form, 4); }
    QPushButton* button(const QString& name) const {
        return controls::control<QPushButton>(*m_form, name);
    }
    QString batchReport() const { return controls::report(*m_form)->text(); }
    // Makes the document unwritable: read-only, or held by an office program.
    void blockDocument(bool locked);
    void unblockDocument(bool locked);
    QStringList listLines() const;
    // A first manual save into a new document, then an import of the workbook.
    void prepareBatch(const QString& workbookPath);

    QFile::Permissions m_permissions;
    QTemporaryDir* m_dir = nullptr;
    QString m_docx;
};
