// Saving by hand: the document chosen, the plot on the clipboard, the plots that wait
// for a document that cannot be written, and switching documents.
#include "batch/ReportSession.h"
#include "mainwindow/Form1.h"
#include "support/Controls.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"
#include "support/MakeWorkbook.h"
#include "support/TestData.h"
#include "support/window/ReportWindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class TestSave : public ReportWindowTest {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void cancelledFirstSaveChangesNothing();
    void savesAppendInOrder();
    void emptiedTargetAsksAgain();
    void longSegmentNameStaysWhole();
    void unavailableClipboardStillSaves();
    void refusedDocumentKeepsThePlotOnTheClipboard_data();
    void refusedDocumentKeepsThePlotOnTheClipboard();
    void closeAsksEachTimePicturesWait();
    void switchingTargetKeepsWaitingPictures_data();
    void switchingTargetKeepsWaitingPictures();
    void foldersUsedLastAreRemembered();
    void filesHandedToTheWindow_data();
    void filesHandedToTheWindow();
};

void TestSave::cancelledFirstSaveChangesNothing() {
    // Before any plot there is nothing to save, and nothing is asked.
    m_form->save();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 0);
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), 1);
    QVERIFY(m_fakes->dialogs.criticalTexts()[0].contains(QStringLiteral("还没有生成驻波图")));
    m_fakes->dialogs.messages.clear();
    m_form->generate();
    m_form->save();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 1);
    QCOMPARE(m_fakes->dialogs.titlesAsked,
             QStringList{QStringLiteral("选择要添加驻波图的报告文档")});
    QVERIFY(target()->text().isEmpty());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QCOMPARE(m_fakes->clipboard.sets, 0);
}

void TestSave::savesAppendInOrder() {
    m_fakes->dialogs.fileAnswers = {m_dir->filePath(QStringLiteral("report"))};
    const QStringList segments{QStringLiteral("段A"), QStringLiteral("段B")};
    // The second at another pixel ratio, chosen on the plot.
    const int ratios[] = {1, 2};
    for (int i = 0; i < segments.size(); ++i) {
        controls::pictureRatio(*m_form, ratios[i])->trigger();
        m_form->setFieldText(Field::Segment, segments[i]);
        m_form->generate();
        m_form->save();
    }
    QCOMPARE(m_fakes->dialogs.dialogsShown, 1);
    QCOMPARE(target()->text(), m_docx); // the missing suffix is added
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QCOMPARE(m_fakes->clipboard.image, m_form->canvas().Image());
    // On disk as soon as each save returns.
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 2);
    QVERIFY(descriptions[0].contains(segments[0]));
    QVERIFY(descriptions[1].contains(segments[1]));
    QCOMPARE(docxinspect::emptyParagraphs(m_docx), 1);
    // Each picture keeps its own pixels, and both take the same place on the page.
    const QList<QImage> pictures = docxinspect::pictures(m_docx);
    QCOMPARE(pictures.size(), 2);
    QCOMPARE(pictures[0].size(), QSize(601, 289));
    QCOMPARE(pictures[1].size(), QSize(1202, 578));
    const QString body =
        QString::fromUtf8(docxinspect::entry(m_docx, QStringLiteral("word/document.xml")));
    QStringList extents;
    for (const auto& match :
         QRegularExpression(QStringLiteral("<wp:extent [^>]*>")).globalMatch(body))
        extents.append(match.captured());
    QCOMPARE(extents.size(), 2);
    QCOMPARE(extents[1], extents[0]);
    // Each save says where the picture went, without a box to click away.
    QCOMPARE(batchReport(), QStringLiteral("已保存到：report.docx\r\n本窗口已存入2张驻波图"));
}

void TestSave::emptiedTargetAsksAgain() {
    const QString second = m_dir->filePath(QStringLiteral("second.docx"));
    m_fakes->dialogs.fileAnswers = {m_docx, second};
    m_form->generate();
    m_form->save();
    QVERIFY(batchReport().endsWith(QStringLiteral("（新建的文档）")));
    target()->clear();
    m_form->save();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 2);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 1);
    QCOMPARE(docxinspect::pictureDescriptions(second).size(), 1);
}

// The plot shows a long name shortened in its middle; the document's
// alternative text keeps it whole.
void TestSave::longSegmentNameStaysWhole() {
    const QString name =
        QStringLiteral("馈线T1-B1F至T2-B1F第") + QString(120, u'段') + QStringLiteral("末尾");
    m_form->setFieldText(Field::Segment, name);
    m_form->generate();
    m_fakes->dialogs.fileAnswers = {m_docx};
    m_form->save();
    const Canvas::PrintedText shown = m_form->canvas().printedTexts().at(27);
    QVERIFY(shown.text.startsWith(QStringLiteral("馈线T1")) &&
            shown.text.endsWith(QStringLiteral("末尾")) && shown.text.contains(QChar(0x2026)));
    QVERIFY(docxinspect::pictureDescriptions(m_docx).value(0).contains(name));
}

void TestSave::unavailableClipboardStillSaves() {
    m_fakes->clipboard.failSet = true;
    m_fakes->dialogs.fileAnswers = {m_docx};
    m_form->generate();
    m_form->save();
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(QStringLiteral("剪贴板")));
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 1);
    // The window stays usable: the next save works once the clipboard does.
    m_fakes->clipboard.failSet = false;
    m_form->save();
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), 1);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 2);
}

void TestSave::refusedDocumentKeepsThePlotOnTheClipboard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("legacy binary document")
        << "old.doc" << QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(512, '\0');
    QTest::newRow("text named docx") << "notes.docx" << QByteArray("just some text\n");
    QTest::newRow("truncated zip") << "cut.docx" << QByteArray("PK\x03\x04\x14\x00", 6);
}

void TestSave::refusedDocumentKeepsThePlotOnTheClipboard() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString path = m_dir->filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    m_form->generate();
    m_fakes->dialogs.fileAnswers = {path};
    m_form->save();
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith(QStringLiteral("错误！原因：\r\n")));
    QVERIFY(errors[0].contains(QStringLiteral("\r\n不明错误原因请联系作者:")));
    QVERIFY(errors[0].endsWith(QStringLiteral("。")));
    QVERIFY(errors[0].contains(name));
    QCOMPARE(target()->text(), path); // the target stays chosen
    QCOMPARE(m_fakes->clipboard.image, m_form->canvas().Image());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{name});
}

void TestSave::closeAsksEachTimePicturesWait() {
    const auto generateAndSave = [this] {
        m_form->generate();
        m_form->save();
    };
    m_fakes->dialogs.fileAnswers = {m_docx};
    generateAndSave();
    blockDocument(false);
    generateAndSave();
    QVERIFY(!m_form->close());
    QVERIFY(m_fakes->dialogs.questions().last().text.contains(QStringLiteral("1 张驻波图")));
    // The next save writes the waiting picture, which is the one on screen,
    // and does not add it again.
    unblockDocument(false);
    m_form->save();
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 2);
    QVERIFY2(batchReport().startsWith(QStringLiteral("已写入等待的1张驻波图\r\n已保存到：")),
             qPrintable(batchReport()));
    // A new failure is asked about again, for the pictures waiting now.
    blockDocument(false);
    generateAndSave();
    generateAndSave();
    QVERIFY(!m_form->close());
    QCOMPARE(m_fakes->dialogs.questions().size(), 2);
    QVERIFY(m_fakes->dialogs.questions().last().text.contains(QStringLiteral("2 张驻波图")));
    // Giving them up is the user's explicit choice.
    m_fakes->dialogs.answers = {{1, false}};
    QVERIFY(m_form->close());
    unblockDocument(false);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 2);
}

void TestSave::switchingTargetKeepsWaitingPictures_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("newTargetBad");
    QTest::addColumn<bool>("typed"); // typed into the field, or chosen in the dialog
    // A plot drawn since the one that waits, or the waiting one still on screen.
    QTest::addColumn<bool>("newPlot");
    QTest::newRow("keep, typed, new plot") << 0 << false << true << true;
    QTest::newRow("keep, chosen, waiting plot") << 0 << false << false << false;
    QTest::newRow("give up, good new target") << 1 << false << true << true;
    QTest::newRow("give up, bad new target") << 1 << true << false << false;
}

void TestSave::switchingTargetKeepsWaitingPictures() {
    QFETCH(int, answer);
    QFETCH(bool, newTargetBad);
    QFETCH(bool, typed);
    QFETCH(bool, newPlot);
    const QString other = m_dir->filePath(QStringLiteral("other.docx"));
    if (newTargetBad) {
        QFile text(other);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a document\n");
    }
    m_fakes->dialogs.fileAnswers = {m_docx};
    m_form->generate();
    m_form->save();
    blockDocument(false);
    m_form->generate();
    m_form->save(); // waits: the document is read-only
    if (newPlot)
        m_form->generate();
    m_fakes->dialogs.messages.clear();
    if (typed) {
        target()->setText(other);
    } else {
        target()->clear();
        m_fakes->dialogs.fileAnswers = {other};
    }
    m_fakes->dialogs.answers = {{answer, false}};
    m_form->save();

    // The old document's failure is always told first, with what waits.
    const QList<MessageBox> questions = m_fakes->dialogs.questions();
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions[0].text.contains(QStringLiteral("report.docx")));
    QVERIFY(questions[0].text.contains(QStringLiteral("1 张驻波图")));
    if (answer == 0) {
        // The plot on screen waits for the old document too, once.
        QCOMPARE(target()->text(), m_docx);
        QVERIFY(!QFileInfo::exists(other));
        unblockDocument(false);
        m_form->save();
        QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), newPlot ? 3 : 2);
        return;
    }
    unblockDocument(false);
    QCOMPARE(target()->text(), other);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 1);
    if (newTargetBad) {
        // The new target's own refusal follows.
        QCOMPARE(m_fakes->dialogs.criticalTexts().size(), 2);
        QVERIFY(m_fakes->dialogs.criticalTexts().last().contains(QStringLiteral("other.docx")));
    } else {
        QCOMPARE(docxinspect::pictureDescriptions(other).size(), 1);
    }
}

// Each kind of file dialog starts where a file of its kind was used last, and
// offers the files used last, kept between runs.
void TestSave::foldersUsedLastAreRemembered() {
    using Kind = RecentFiles::Kind;
    QDir(m_dir->path()).mkpath(QStringLiteral("books"));
    const QString book = m_dir->filePath(QStringLiteral("books/a.xlsx"));
    QVERIFY(QFile::copy(workbookData(QStringLiteral("complete.xlsx")), book));
    m_fakes->dialogs.fileAnswers = {m_docx, book};
    m_form->generate();
    m_form->save();
    m_form->importData();
    QCOMPARE(m_fakes->dialogs.kindsAsked, (QList<Kind>{Kind::Document, Kind::Workbook}));
    QCOMPARE(m_fakes->dialogs.used.size(), 2);

    RecentFiles recent(m_fakes->settings);
    for (const auto& [kind, path] : m_fakes->dialogs.used)
        recent.remember(kind, path);
    QCOMPARE(recent.folder(Kind::Workbook), m_dir->filePath(QStringLiteral("books")));
    QCOMPARE(recent.folder(Kind::Document), m_dir->path());
    // The latest first, each once, at most a few, and only those still there.
    for (int i = 0; i < RecentFiles::kKept + 2; ++i)
        recent.remember(Kind::Workbook, m_dir->filePath(QStringLiteral("gone%1.xlsx").arg(i)));
    recent.remember(Kind::Workbook, book);
    QCOMPARE(recent.files(Kind::Workbook), QStringList{book});
    QCOMPARE(m_fakes->settings.value(QStringLiteral("recent/workbooks")).toStringList().size(),
             RecentFiles::kKept);
    QCOMPARE(recent.files(Kind::Document), QStringList{m_docx});
}

void TestSave::filesHandedToTheWindow_data() {
    QTest::addColumn<QString>("how"); // "argument", "window" or "save location": dropped there
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("said");   // the start of the one message, if any
    QTest::addColumn<bool>("targetSet"); // the document given becomes the target
    QTest::addColumn<bool>("imported");  // the workbook given is imported
    const QStringList both{QStringLiteral("report.docx"), QStringLiteral("complete.xlsx")};
    QTest::newRow("document and workbook named") << "argument" << both << "" << true << true;
    QTest::newRow("dropped on the window") << "window" << both << "" << true << true;
    QTest::newRow("document dropped on the save location")
        << "save location" << QStringList{QStringLiteral("report.docx")} << "" << true << false;
    // As the import command: a workbook wants a document first, and is
    // imported right after the first save.
    QTest::newRow("workbook before any document")
        << "argument" << QStringList{QStringLiteral("complete.xlsx")} << "对不起，您必须先" << false
        << true;
    QTest::newRow("another kind of file") << "window" << QStringList{QStringLiteral("notes.txt")}
                                          << "不能打开“notes.txt”" << false << false;
}

void TestSave::filesHandedToTheWindow() {
    QFETCH(QString, how);
    QFETCH(QStringList, files);
    QFETCH(QString, said);
    QFETCH(bool, targetSet);
    QFETCH(bool, imported);
    QStringList paths;
    for (const QString& file : files)
        paths.append(file.endsWith(u".xlsx") ? workbookData(file) : m_dir->filePath(file));
    if (how == u"argument") {
        m_form->openFiles(paths);
    } else {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        // As a drag ends: it enters, is accepted, and drops.
        QWidget* onto = how == u"window" ? static_cast<QWidget*>(m_form) : target();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(onto, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(onto, &drop);
    }
    const QStringList messages = [this] {
        QStringList texts;
        for (const auto& message : m_fakes->dialogs.messages)
            texts.append(message.text);
        return texts;
    }();
    QCOMPARE(messages.size(), said.isEmpty() ? 0 : 1);
    if (!said.isEmpty())
        QVERIFY2(messages[0].startsWith(said), qPrintable(messages[0]));
    QCOMPARE(target()->text(), targetSet ? m_docx : QString());
    if (!targetSet && imported) {
        QCOMPARE(listLines().size(), 0);
        m_form->generate();
        m_fakes->dialogs.fileAnswers = {m_docx};
        m_form->save();
    }
    QCOMPARE(listLines().size(), imported ? 6 : 0);
    QCOMPARE(m_fakes->dialogs.dialogsShown, !targetSet && imported ? 1 : 0);
}

QTEST_MAIN(TestSave)
#include "tst_save.moc"
