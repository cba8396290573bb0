// The batch through the main window: where its plots go, what the window does
// while it runs, and what stops it.
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
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class TestBatchDocument : public ReportWindowTest {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void batchAppendsEveryRowInOrder();
    void batchOfAVanishedWorkbookCountsNothing();
    void workbookCutOrDeletedDuringBatchChangesNothing();
    void batchIgnoresCommandsWhileRunning();
    void closeDuringBatchAsks_data();
    void closeDuringBatchAsks();
    void stopDuringBatchKeepsACleanPrefix_data();
    void stopDuringBatchKeepsACleanPrefix();
    void batchWritesWhileABoxIsOpen();
    void unwritableDocumentDuringBatchLosesNothing_data();
    void unwritableDocumentDuringBatchLosesNothing();
    void batchAfterATypedTargetSwitch_data();
    void batchAfterATypedTargetSwitch();
    void documentChangesDuringBatch_data();
    void documentChangesDuringBatch();
    void templateTakesTheBatch_data();
    void templateTakesTheBatch();
};

void TestBatchDocument::batchAppendsEveryRowInOrder() {
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    m_form->runBatch();
    QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 6);
    const QStringList order{QStringLiteral("manual"), QStringLiteral("1扇区"),
                            QStringLiteral("2扇区"),  QStringLiteral("3扇区"),
                            QStringLiteral("4扇区"),  QStringLiteral("5扇区")};
    for (int i = 0; i < order.size(); ++i)
        QVERIFY2(descriptions[i].contains(order[i]), qPrintable(descriptions.join(",")));
    QCOMPARE(docxinspect::emptyParagraphs(m_docx), 1);

    const QString report = controls::report(*m_form)->text();
    QVERIFY(report.startsWith(QStringLiteral("处理完成！\r\n本次共生成5条驻波！\r\n")));
    const QStringList info = m_fakes->dialogs.informationTexts();
    QCOMPARE(info.size(), 1);
    QVERIFY(info[0].startsWith(QStringLiteral("已完成所有驻波图的生成！本次共生成5条驻波！\r\n"
                                              "驻波图保存位置：") +
                               m_docx + QStringLiteral("\r\n")));
    QVERIFY(m_fakes->dialogs.criticalTexts().isEmpty());
    QCOMPARE(batchButton()->text(), QStringLiteral("处理以上数据"));
    // The clipboard was set once, with the last row's plot.
    QCOMPARE(m_fakes->clipboard.sets, 2);
    QCOMPARE(m_fakes->clipboard.image, m_form->canvas().Image());

    // A second run appends the same rows again; the last run's report goes.
    QStringList reportsDuringRun;
    m_fakes->yield.onYield = [&](int) { reportsDuringRun << batchReport(); };
    m_form->runBatch();
    QCOMPARE(reportsDuringRun.first(), QString());
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 11);
}

void TestBatchDocument::batchOfAVanishedWorkbookCountsNothing() {
    const QString copy = m_dir->filePath(QStringLiteral("data.xlsx"));
    QVERIFY(QFile::copy(workbookData(QStringLiteral("basic.xlsx")), copy));
    prepareBatch(copy);
    QVERIFY(QFile::remove(copy));
    m_form->runBatch();
    QVERIFY(controls::report(*m_form)->text().contains(QStringLiteral("本次共生成0条驻波！")));
    // The completion message does not call it a success; the error report
    // after it names the workbook.
    QVERIFY(m_fakes->dialogs.informationTexts().isEmpty());
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors[0].startsWith(QStringLiteral("未能读取工作簿")));
    QVERIFY(errors[1].contains(QStringLiteral("data.xlsx")));
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 1);
    QCOMPARE(batchButton()->text(), QStringLiteral("处理以上数据"));
}

void TestBatchDocument::workbookCutOrDeletedDuringBatchChangesNothing() {
    // The batch reads the whole sheet when it starts: what happens to the file
    // afterwards changes none of its rows.
    const QString copy = m_dir->filePath(QStringLiteral("data.xlsx"));
    QVERIFY(QFile::copy(workbookData(QStringLiteral("complete.xlsx")), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    prepareBatch(copy);
    int yields = 0;
    m_fakes->yield.onYield = [&](int) {
        if (++yields == 1)
            QVERIFY(QFile::resize(copy, QFileInfo(copy).size() / 2));
        else if (yields == 2)
            QVERIFY(QFile::remove(copy));
    };
    m_form->runBatch();
    QVERIFY(yields >= 2);
    QVERIFY(!QFile::exists(copy));
    QVERIFY(controls::report(*m_form)->text().contains(QStringLiteral("本次共生成5条驻波！")));
    QCOMPARE(m_fakes->dialogs.criticalTexts(), QStringList());
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 6);
    QVERIFY(descriptions[5].contains(QStringLiteral("5扇区")));
}

void TestBatchDocument::batchIgnoresCommandsWhileRunning() {
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    int dialogsBefore = m_fakes->dialogs.dialogsShown;
    const QStringList blocked{QStringLiteral("Command1"), QStringLiteral("Command2"),
                              QStringLiteral("Command3")};
    m_fakes->yield.onYield = [&](int) {
        // The commands that cannot run now look it; copy and the batch's own
        // button (which offers to stop it) stay available.
        for (const QString& name : blocked)
            QVERIFY2(!button(name)->isEnabled(), qPrintable(name));
        QVERIFY(button(QStringLiteral("Command5"))->isEnabled());
        QVERIFY(batchButton()->isEnabled());
        m_form->importData();
        m_form->save();
        QVERIFY(!m_form->generate());
        m_form->openFiles({m_dir->filePath(QStringLiteral("other.docx"))});
    };
    m_form->runBatch();
    QCOMPARE(m_fakes->dialogs.dialogsShown, dialogsBefore);
    // A file handed over meanwhile changes nothing, and says so.
    QCOMPARE(target()->text(), m_docx);
    QVERIFY(m_fakes->dialogs.criticalTexts().value(0).startsWith(
        QStringLiteral("正在生成驻波图或进行批处理")));
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 6);
    for (const QString& name : blocked)
        QVERIFY(button(name)->isEnabled());

    // While a plot is drawn by hand, the batch cannot start either.
    m_fakes->yield.onYield = [&](int) {
        QVERIFY(!button(QStringLiteral("Command1"))->isEnabled());
        QVERIFY(!batchButton()->isEnabled());
    };
    QVERIFY(m_form->generate());
    QVERIFY(batchButton()->isEnabled());
}

void TestBatchDocument::closeDuringBatchAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<bool>("closed");
    QTest::newRow("continue") << 0 << 6 << false;
    QTest::newRow("stop and close") << 1 << 3 << true;
}

void TestBatchDocument::closeDuringBatchAsks() {
    QFETCH(int, answer);
    QFETCH(int, pictures);
    QFETCH(bool, closed);
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    m_form->show();
    m_fakes->dialogs.answers = {{answer, false}};
    bool asked = false;
    m_fakes->yield.onYield = [&](int) {
        if (!asked && batchButton()->text() == QStringLiteral("正在处理： 2/5")) {
            asked = true;
            m_form->close();
        }
    };
    m_form->runBatch();
    const QList<MessageBox> questions = m_fakes->dialogs.questions();
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions[0].text.startsWith(QStringLiteral("批处理尚未完成（已处理 2/5 行）")),
             qPrintable(questions[0].text));
    QCOMPARE(m_form->isVisible(), !closed);
    // Stopping finishes the row under way and writes before the window goes.
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), pictures);
    QCOMPARE(m_fakes->dialogs.informationTexts().size(), closed ? 0 : 1);
}

void TestBatchDocument::stopDuringBatchKeepsACleanPrefix_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("batch button") << false;
    QTest::newRow("Esc") << true;
}

void TestBatchDocument::stopDuringBatchKeepsACleanPrefix() {
    QFETCH(bool, byKey);
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    m_form->show();
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    // The first question is answered "continue", the second "stop".
    m_fakes->dialogs.answers = {{0, false}, {1, false}};
    m_fakes->yield.onYield = [&](int) {
        const QString caption = batchButton()->text();
        if (caption != QStringLiteral("正在处理： 1/5") &&
            caption != QStringLiteral("正在处理： 2/5"))
            return;
        if (m_fakes->dialogs.questions().size() >= 2)
            return;
        if (byKey)
            QTest::keyClick(m_form, Qt::Key_Escape);
        else
            batchButton()->click();
    };
    m_form->runBatch();
    QCOMPARE(m_fakes->dialogs.questions().size(), 2);
    // The document holds the rows up to the stop, in order, read back
    // independently.
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 3);
    QVERIFY(descriptions[1].contains(QStringLiteral("1扇区")));
    QVERIFY(descriptions[2].contains(QStringLiteral("2扇区")));
    QVERIFY2(batchReport().startsWith(QStringLiteral("已停止：处理了2/5行\r\n本次共生成2条驻波！")),
             qPrintable(batchReport()));
    QVERIFY(m_fakes->dialogs.informationTexts().last().startsWith(
        QStringLiteral("批处理已停止：处理了 2/5 行")));
    QCOMPARE(batchButton()->text(), QStringLiteral("处理以上数据"));
}

// The writes due every two seconds go on while a box holds the batch up.
void TestBatchDocument::batchWritesWhileABoxIsOpen() {
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    int whileOpen = -1;
    m_fakes->dialogs.onMessage = [&](const FakeDialogs::Message& message) {
        if (whileOpen >= 0 || !message.text.startsWith(QStringLiteral("第5行")))
            return;
        m_fakes->clock.current = m_fakes->clock.current.addSecs(3);
        // The manual save's plot, then rows 2 and 3.
        QTRY_COMPARE_WITH_TIMEOUT(docxinspect::pictureDescriptions(m_docx).size(), 3,
                                  int(ReportSession::kBatchWriteIntervalMs) * 3);
        whileOpen = 3;
    };
    m_form->runBatch();
    QCOMPARE(whileOpen, 3);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 4);
}

void TestBatchDocument::unwritableDocumentDuringBatchLosesNothing_data() {
    QTest::addColumn<bool>("locked");
    QTest::newRow("read-only") << false;
    QTest::newRow("open in an office program") << true;
}

void TestBatchDocument::unwritableDocumentDuringBatchLosesNothing() {
    QFETCH(bool, locked);
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    QFile document(m_docx);
    QVERIFY(document.open(QIODevice::ReadOnly));
    const QByteArray before = document.readAll();
    document.close();
    blockDocument(locked);

    m_form->runBatch();
    // The report says how many plots did not reach the document, and why.
    QVERIFY2(batchReport().contains(QStringLiteral("本次共生成5条驻波！")) &&
                 batchReport().endsWith(QStringLiteral("5条未写入文档！")),
             qPrintable(batchReport()));
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QVERIFY(!errors.isEmpty());
    QVERIFY(errors.last().contains(QStringLiteral("已写入文档0条，尚未写入5条")));
    QVERIFY(errors.last().contains(QStringLiteral("report.docx")));
    QVERIFY(m_fakes->dialogs.informationTexts().isEmpty());
    QVERIFY(document.open(QIODevice::ReadOnly));
    QCOMPARE(document.readAll(), before);
    document.close();

    // Closing while the pictures still cannot be written is refused, with a
    // word on what would be lost.
    const int errorsBefore = m_fakes->dialogs.criticalTexts().size();
    QVERIFY(!m_form->close());
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), errorsBefore + 1);
    QVERIFY(m_fakes->dialogs.criticalTexts().last().contains(QStringLiteral("5 张驻波图")));

    // Once the document can be written again, closing the window writes the
    // pictures the batch accepted.
    unblockDocument(locked);
    QVERIFY(m_form->close());
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 6);
}

void TestBatchDocument::batchAfterATypedTargetSwitch_data() {
    QTest::addColumn<bool>(
        "waiting");                  // a plot waits for the old document, held by an office program
    QTest::addColumn<int>("answer"); // to the question asked before the first row
    QTest::addColumn<int>("inOld");
    QTest::addColumn<int>("inNew");
    QTest::addColumn<QString>("counts");
    QTest::newRow("nothing waits") << false << 0 << 1 << 5 << QString();
    // Every row's plot waits for the old document with the older one, and
    // the counts say which are the batch's.
    QTest::newRow("keep the old document")
        << true << 0 << 1 << 0 << "读取5行：生成5条驻波；已写入文档0条，尚未写入5条。";
    QTest::newRow("give up what waits") << true << 1 << 1 << 5 << QString();
}

// The document is settled before the first row: the rows all reach the one
// the user chose, the counts are of that document, and no question during
// the run can cost a row its plot.
void TestBatchDocument::batchAfterATypedTargetSwitch() {
    QFETCH(bool, waiting);
    QFETCH(int, answer);
    QFETCH(int, inOld);
    QFETCH(int, inNew);
    QFETCH(QString, counts);
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    if (waiting) {
        blockDocument(true);
        m_form->generate();
        m_form->save();
    }
    const QString other = m_dir->filePath(QStringLiteral("other.docx"));
    target()->setText(other);
    m_fakes->dialogs.messages.clear();
    m_fakes->dialogs.answers = {{answer, false}};
    m_form->runBatch();

    QCOMPARE(m_fakes->dialogs.questions().size(), waiting ? 1 : 0);
    const QString done = m_fakes->dialogs.messages.last().text;
    if (counts.isEmpty()) {
        QVERIFY2(done.startsWith(QStringLiteral("已完成所有驻波图的生成！本次共生成5条驻波！\r\n"
                                                "驻波图保存位置：") +
                                 other),
                 qPrintable(done));
    } else {
        QVERIFY2(done.contains(counts) && done.contains(QStringLiteral("report.docx")),
                 qPrintable(done));
        QCOMPARE(target()->text(), m_docx);
    }
    if (waiting)
        unblockDocument(true);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), inOld);
    QCOMPARE(docxinspect::pictureDescriptions(other).size(), inNew);
    if (answer == 0 && waiting) {
        // The next save writes the older plot and the batch's, each once.
        m_form->save();
        QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 7);
        QVERIFY(batchReport().startsWith(QStringLiteral("已写入等待的6张驻波图")));
    }
}

void TestBatchDocument::documentChangesDuringBatch_data() {
    QTest::addColumn<bool>("deleted");
    QTest::newRow("made read-only") << false;
    QTest::newRow("deleted") << true;
}

void TestBatchDocument::documentChangesDuringBatch() {
    QFETCH(bool, deleted);
    prepareBatch(workbookData(QStringLiteral("complete.xlsx")));
    // Time passes quickly, so the batch writes in the background as it goes.
    bool changed = false;
    QString lastCaption;
    m_fakes->yield.onYield = [&](int) {
        m_fakes->clock.current = m_fakes->clock.current.addSecs(3);
        // After each row, the write started in the background has time to end.
        if (batchButton()->text() != lastCaption)
            QThread::msleep(100);
        lastCaption = batchButton()->text();
        if (changed || lastCaption != QStringLiteral("正在处理： 1/5"))
            return;
        changed = true;
        if (deleted)
            QVERIFY(QFile::remove(m_docx));
        else
            blockDocument(false);
    };
    m_form->runBatch();
    const QString message = m_fakes->dialogs.messages.last().text;
    if (deleted) {
        // The rows since go into a new document, and the user is told so.
        QVERIFY2(message.contains(QStringLiteral("已不存在")), qPrintable(message));
        const qsizetype held = docxinspect::pictureDescriptions(m_docx).size();
        QVERIFY(held < 6);
        // The counts are of what the new document holds.
        QVERIFY2(message.contains(
                     QStringLiteral("已写入文档%1条，尚未写入%2条").arg(held).arg(5 - held)),
                 qPrintable(message));
        return;
    }
    // A write that cannot succeed ends the batch rather than piling up rows.
    QVERIFY2(batchReport().startsWith(QStringLiteral("已中止：处理了")), qPrintable(batchReport()));
    QVERIFY2(message.startsWith(QStringLiteral("批处理已中止")) &&
                 message.contains(QStringLiteral("只读")),
             qPrintable(message));
    unblockDocument(false);
}

void TestBatchDocument::templateTakesTheBatch_data() {
    QTest::addColumn<bool>("open");         // "打开文档" is chosen in the completion message
    QTest::addColumn<bool>("desktopFails"); // no program opens the document
    QTest::newRow("message closed") << false << false;
    QTest::newRow("document opened from the message") << true << false;
    QTest::newRow("no program to open it") << true << true;
}

void TestBatchDocument::templateTakesTheBatch() {
    QFETCH(bool, open);
    QFETCH(bool, desktopFails);
    const QString fixture = docxData(QStringLiteral("template-python-docx.docx"));
    QVERIFY(QFile::copy(fixture, m_docx));
    QFile::setPermissions(m_docx, QFile::ReadOwner | QFile::WriteOwner);
    m_fakes->desktop.fail = desktopFails;
    auto* link = controls::control<QLabel>(*m_form, QStringLiteral("openDocument"));
    QVERIFY(link && link->isHidden());

    // The manual save takes the first plain placeholder; what the template's
    // placeholders cannot do is said once, in a box of its own.
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    QCOMPARE(m_fakes->dialogs.boxes.size(), 1);
    const QString told = m_fakes->dialogs.boxes.first().text;
    QVERIFY2(told.contains(QStringLiteral("页眉")) && told.contains(QStringLiteral("不止一个")),
             qPrintable(told));
    QVERIFY(!link->isHidden());
    QVERIFY(link->toolTip().contains(QStringLiteral("关闭文档后")));

    // The refused row's box, then the completion message.
    m_fakes->dialogs.answers = {{0, false}, {0, false, open}};
    m_form->runBatch();
    // Each row under its heading, the second plain placeholder in a table
    // cell, and the rows without a placeholder at the end. 3扇区 has no VSWR:
    // its placeholder stays.
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    const QStringList order{QStringLiteral("manual"), QStringLiteral("1扇区"),
                            QStringLiteral("2扇区"), QStringLiteral("4扇区")};
    QCOMPARE(descriptions.size(), order.size());
    for (int i = 0; i < order.size(); ++i)
        QVERIFY2(descriptions[i].contains(order[i]), qPrintable(descriptions.join(",")));
    const QString body =
        QString::fromUtf8(docxinspect::entry(m_docx, QStringLiteral("word/document.xml")));
    QVERIFY(body.contains(QStringLiteral("<wp:extent cx=\"%1\"").arg((2268 - 216) * 635)));
    QVERIFY(body.contains(QStringLiteral("{{驻波图:9扇区}}")));
    QVERIFY(body.contains(QStringLiteral("{{驻波图:3扇区}}")));
    QCOMPARE(body.count(QStringLiteral("{{驻波图:1扇区}}")), 1);
    QCOMPARE(docxinspect::entry(m_docx, QStringLiteral("word/header1.xml")),
             docxinspect::entry(fixture, QStringLiteral("word/header1.xml")));

    // The message names the document and where the plots went, tells the
    // placeholder no row took (and not again what was said before), and
    // offers the document.
    QCOMPARE(m_fakes->dialogs.boxes.size(), desktopFails ? 4 : 3);
    const MessageBox& done = m_fakes->dialogs.boxes.at(2);
    QVERIFY2(done.text.contains(QStringLiteral("驻波图保存位置：") + m_docx) &&
                 done.text.contains(QStringLiteral("其中2张放入占位符，1张追加到文末")) &&
                 done.text.contains(QStringLiteral("“9扇区”")) &&
                 done.text.contains(QStringLiteral("“3扇区”")) &&
                 !done.text.contains(QStringLiteral("不止一个")),
             qPrintable(done.text));
    QCOMPARE(done.action, QStringLiteral("打开文档"));
    QVERIFY(done.text.contains(QStringLiteral("关闭文档后")));
    QCOMPARE(m_fakes->desktop.opened, open ? QStringList{m_docx} : QStringList());
    // The refused row's box and the completion message, which is a warning.
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), desktopFails ? 3 : 2);
    if (desktopFails)
        QVERIFY(m_fakes->dialogs.criticalTexts().last().contains(QStringLiteral("无法打开文档")));

    // The link under the report opens it as well.
    QVERIFY(!link->isHidden());
    emit link->linkActivated(QStringLiteral("open"));
    QCOMPARE(m_fakes->desktop.opened.size(), open ? 2 : 1);
    QCOMPARE(m_fakes->desktop.opened.last(), m_docx);
}

QTEST_MAIN(TestBatchDocument)
#include "tst_batchdocument.moc"
