#include "support/window/ReportWindowTest.h"

#include <QFileInfo>
#include <QTest>

void ReportWindowTest::setUp() {
    m_dir = new QTemporaryDir;
    WindowTest::setUp();
    m_docx = m_dir->filePath(QStringLiteral("report.docx"));
}

void ReportWindowTest::tearDown() {
    WindowTest::tearDown();
    delete m_dir;
}

QStringList ReportWindowTest::listLines() const {
    QStringList lines;
    for (int i = 0; i < list()->count(); ++i)
        lines << list()->item(i)->text();
    return lines;
}

namespace {

QString libreOfficeLock(const QString& docx) {
    const QFileInfo info(docx);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + u'#';
}

} // namespace

void ReportWindowTest::blockDocument(bool locked) {
    if (locked) {
        QFile lock(libreOfficeLock(m_docx));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(",someone,host,07.03.2026 14:05,file:///home/someone/.config/libreoffice/4;");
        return;
    }
    m_permissions = QFile::permissions(m_docx);
    QFile::setPermissions(m_docx, QFile::ReadOwner);
}

void ReportWindowTest::unblockDocument(bool locked) {
    if (locked)
        QVERIFY(QFile::remove(libreOfficeLock(m_docx)));
    else
        QFile::setPermissions(m_docx, m_permissions);
}

void ReportWindowTest::prepareBatch(const QString& workbookPath) {
    m_form->setFieldText(Field::Segment, QStringLiteral("manual"));
    m_form->generate();
    m_fakes->dialogs.fileAnswers = {m_docx, workbookPath};
    m_form->save();
    m_form->importData();
    m_fakes->dialogs.messages.clear();
}
