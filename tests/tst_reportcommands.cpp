// Save, import and batch driven through the main window with fake services.
#include "batch/ReportSession.h"
#include "mainwindow/Form1.h"
#include "support/Controls.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"
#include "support/MakeWorkbook.h"
#include "support/TestData.h"

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

class TestReportCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void cancelledFirstSaveChangesNothing();
    void savesAppendInOrder();
    void emptiedTargetAsksAgain();
    void longSegmentNameStaysWhole();
    void unavailableClipboardStillSaves();
    void refusedDocumentKeepsThePlotOnTheClipboard_data();
    void refusedDocumentKeepsThePlotOnTheClipboard();
    void importNeedsATarget();
    void importListsTheRows_data();
    void importListsTheRows();
    void importOfABadWorkbookIsReported();
    void batchAppendsEveryRowInOrder();
    void batchWritesTheRowFields();
    void batchWithSpecifiedTimeWritesTheTime();
    void batchOfAVanishedWorkbookCountsNothing();
    void workbookCutOrDeletedDuringBatchChangesNothing();
    void batchIgnoresCommandsWhileRunning();
    void unwritableDocumentDuringBatchLosesNothing_data();
    void unwritableDocumentDuringBatchLosesNothing();
    void closeAsksEachTimePicturesWait();
    void switchingTargetKeepsWaitingPictures_data();
    void switchingTargetKeepsWaitingPictures();
    void batchAfterATypedTargetSwitch_data();
    void batchAfterATypedTargetSwitch();
    void closeDuringBatchAsks_data();
    void closeDuringBatchAsks();
    void stopDuringBatchKeepsACleanPrefix_data();
    void stopDuringBatchKeepsACleanPrefix();
    void carryEmptyIsAChoiceKeptBetweenRuns();
    void batchWritesWhileABoxIsOpen();
    void batchProblemsAreListed_data();
    void batchProblemsAreListed();
    void documentChangesDuringBatch_data();
    void documentChangesDuringBatch();
    void batchUnderACommaLocale_data();
    void batchUnderACommaLocale();
    void largeWorkbookIsConfirmed_data();
    void largeWorkbookIsConfirmed();
    void templateTakesTheBatch_data();
    void templateTakesTheBatch();

private:
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
    FakePlatform* m_fakes = nullptr;
    Form1* m_form = nullptr;
    QString m_docx;
};

void TestReportCommands::init() {
    m_dir = new QTemporaryDir;
    m_fakes = new FakePlatform;
    m_form = new Form1(m_fakes->platform());
    m_docx = m_dir->filePath(QStringLiteral("report.docx"));
}

void TestReportCommands::cleanup() {
    delete m_form;
    delete m_fakes;
    delete m_dir;
}

QStringList TestReportCommands::listLines() const {
    QStringList lines;
    for (int i = 0; i < list()->count(); ++i)
        lines << list()->item(i)->text();
    return lines;
}

QString libreOfficeLock(const QString& docx) {
    const QFileInfo info(docx);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + u'#';
}

void TestReportCommands::blockDocument(bool locked) {
    if (locked) {
        QFile lock(libreOfficeLock(m_docx));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(",someone,host,07.03.2026 14:05,file:///home/someone/.config/libreoffice/4;");
        return;
    }
    m_permissions = QFile::permissions(m_docx);
    QFile::setPermissions(m_docx, QFile::ReadOwner);
}

void TestReportCommands::unblockDocument(bool locked) {
    if (locked)
        QVERIFY(QFile::remove(libreOfficeLock(m_docx)));
    else
        QFile::setPermissions(m_docx, m_permissions);
}

void TestReportCommands::prepareBatch(const QString& workbookPath) {
    m_form->setFieldText(Field::Segment, QStringLiteral("manual"));
    m_form->generate();
    m_fakes->dialogs.fileAnswers = {m_docx, workbookPath};
    m_form->save();
    m_form->importData();
    m_fakes->dialogs.messages.clear();
}

void TestReportCommands::cancelledFirstSaveChangesNothing() {
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

void TestReportCommands::savesAppendInOrder() {
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

void TestReportCommands::emptiedTargetAsksAgain() {
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
void TestReportCommands::longSegmentNameStaysWhole() {
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

void TestReportCommands::unavailableClipboardStillSaves() {
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

void TestReportCommands::refusedDocumentKeepsThePlotOnTheClipboard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("legacy binary document")
        << "old.doc" << QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(512, '\0');
    QTest::newRow("text named docx") << "notes.docx" << QByteArray("just some text\n");
    QTest::newRow("truncated zip") << "cut.docx" << QByteArray("PK\x03\x04\x14\x00", 6);
}

void TestReportCommands::refusedDocumentKeepsThePlotOnTheClipboard() {
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

void TestReportCommands::importNeedsATarget() {
    m_form->importData();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 0);
    QCOMPARE(m_fakes->dialogs.informationTexts(),
             QStringList{QStringLiteral("对不起，您必须先手动生成一个驻波并保存到一个WORD文档内，"
                                        "作为程序参考驻波！")});
}

void TestReportCommands::importListsTheRows_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("xls") << "basic.xls";
    QTest::newRow("xlsx") << "basic.xlsx";
}

void TestReportCommands::importListsTheRows() {
    QFETCH(QString, file);
    prepareBatch(workbookData(file));
    const QStringList expected{QStringLiteral("驻波段           驻波比"),
                               QStringLiteral("1扇区      1.18"),
                               QStringLiteral("2扇区      1.25"),
                               QStringLiteral("      "),
                               QStringLiteral("3扇区      "),
                               QStringLiteral("4扇区      1.3")};
    QCOMPARE(listLines(), expected);
    QCOMPARE(controls::workbookLabel(*m_form)->text(), workbookData(file));
    QCOMPARE(controls::workbookLabel(*m_form)->toolTip(), workbookData(file));
    QCOMPARE(m_fakes->dialogs.titlesAsked.last(), QStringLiteral("选择驻波数据工作簿"));
    QVERIFY(batchButton()->isEnabled());

    // A second import replaces the list; the batch stays available.
    m_fakes->dialogs.fileAnswers = {workbookData(QStringLiteral("heading-only.xlsx"))};
    m_form->importData();
    QCOMPARE(listLines(), QStringList{expected.first()});
    QVERIFY(batchButton()->isEnabled());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestReportCommands::importOfABadWorkbookIsReported() {
    prepareBatch(workbookData(QStringLiteral("no-sheet1.xlsx")));
    // prepareBatch cleared the messages after the import; import again to see it.
    m_fakes->dialogs.fileAnswers = {workbookData(QStringLiteral("no-sheet1.xlsx"))};
    m_form->importData();
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(QStringLiteral("Sheet1")));
    QVERIFY(errors[0].contains(QStringLiteral("\r\n不明原因请联系作者")));
    QCOMPARE(listLines().size(), 1);
    QVERIFY(!batchButton()->isEnabled());
}

void TestReportCommands::batchAppendsEveryRowInOrder() {
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

void TestReportCommands::batchWritesTheRowFields() {
    prepareBatch(workbookData(QStringLiteral("basic.xls")));
    m_form->clockTick();
    const QString clockTime = field(11)->text();
    QStringList rows;
    QStringList captions;
    // The batch lets events run once after each row's save.
    m_fakes->yield.onYield = [&](int) {
        const QString caption = batchButton()->text();
        if (captions.contains(caption) || !caption.startsWith(QStringLiteral("正在处理")))
            return;
        captions << caption;
        rows << QStringList{field(0)->text(), field(2)->text(), field(5)->text(),
                            field(6)->text(), field(1)->text(), field(11)->text()}
                    .join(QLatin1Char('|'));
    };
    m_form->runBatch();
    // The empty row is skipped and 3扇区, without a VSWR, refused: neither
    // writes a field.
    const QString second = "2扇区|1.25|0.110dB/m|0.880|8.0|" + clockTime;
    const QStringList expected{"1扇区|1.18|0.070dB/m|0.880|25.4|" + clockTime, second, second,
                               second, "4扇区|1.3|0.070dB/m|0.880|40.0|" + clockTime};
    QCOMPARE(rows, expected);
    QCOMPARE(captions.first(), QStringLiteral("正在处理： 1/5"));
    QCOMPARE(captions.last(), QStringLiteral("正在处理： 5/5"));
}

void TestReportCommands::batchWithSpecifiedTimeWritesTheTime() {
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    controls::check(*m_form, 2)->setChecked(true);
    QStringList times;
    m_fakes->yield.onYield = [&](int) {
        if (!times.contains(field(11)->text()))
            times << field(11)->text();
    };
    m_form->runBatch();
    QVERIFY(times.contains(QStringLiteral("14:05:09")));
    QVERIFY(times.contains(QStringLiteral("09:30:00")));
}

void TestReportCommands::batchOfAVanishedWorkbookCountsNothing() {
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

void TestReportCommands::workbookCutOrDeletedDuringBatchChangesNothing() {
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

void TestReportCommands::batchIgnoresCommandsWhileRunning() {
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
    };
    m_form->runBatch();
    QCOMPARE(m_fakes->dialogs.dialogsShown, dialogsBefore);
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

void TestReportCommands::closeDuringBatchAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<bool>("closed");
    QTest::newRow("continue") << 0 << 6 << false;
    QTest::newRow("stop and close") << 1 << 3 << true;
}

void TestReportCommands::closeDuringBatchAsks() {
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

void TestReportCommands::stopDuringBatchKeepsACleanPrefix_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("batch button") << false;
    QTest::newRow("Esc") << true;
}

void TestReportCommands::stopDuringBatchKeepsACleanPrefix() {
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

void TestReportCommands::carryEmptyIsAChoiceKeptBetweenRuns() {
    auto* carry = controls::check(*m_form, 3);
    QVERIFY(!carry->isChecked());
    carry->click();
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    m_form->runBatch();
    // 3扇区 takes the VSWR of the row above: no failure, but said.
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 5);
    const MessageBox& done = m_fakes->dialogs.boxes.last();
    QCOMPARE(done.icon, MessageBox::Icon::Information);
    QVERIFY2(done.details.contains(QStringLiteral("第5行 驻波比为空，沿用上一行的 1.25")),
             qPrintable(done.details));
    QVERIFY(done.text.contains(QStringLiteral("1行沿用了上一行的值")));
    // The next window starts with the choice made here.
    Form1 next(m_fakes->platform());
    QVERIFY(controls::check(next, 3)->isChecked());
}

// The writes due every two seconds go on while a box holds the batch up.
void TestReportCommands::batchWritesWhileABoxIsOpen() {
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

void TestReportCommands::batchProblemsAreListed_data() {
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<int>("boxesDuringRun");
    // A text VSWR and an empty one: each row's box names its row, column and
    // value.
    QTest::newRow("every message") << false << 2;
    QTest::newRow("quiet after the first") << true << 1;
}

void TestReportCommands::batchProblemsAreListed() {
    QFETCH(bool, quiet);
    QFETCH(int, boxesDuringRun);
    prepareBatch(workbookData(QStringLiteral("mixed.xlsx")));
    m_fakes->dialogs.boxes.clear();
    m_fakes->dialogs.answers = {{0, quiet}};
    m_form->runBatch();
    const QList<MessageBox> boxes = m_fakes->dialogs.boxes;
    QCOMPARE(boxes.size(), boxesDuringRun + 1);
    QCOMPARE(boxes[0].text,
             QStringLiteral("您的输入有错！请输入纯数字数据！\r\n"
                            "第3行（A2）：B列（驻波比）“无”不是数字，该行未生成驻波图。"));
    QVERIFY(!boxes[0].option.isEmpty());
    if (!quiet)
        QVERIFY(boxes[1].text.startsWith(QStringLiteral("第5行（A4）：B列（驻波比）为空")));
    // Only the rows with values of their own are in the document.
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 3);
    QVERIFY(descriptions[1].contains(QStringLiteral("A1")));
    QVERIFY(descriptions[2].contains(QStringLiteral("A3")));

    // Not called a success: a warning with the counts and the list.
    const MessageBox& done = boxes.last();
    QCOMPARE(done.icon, MessageBox::Icon::Critical);
    QVERIFY2(
        done.text.startsWith(QStringLiteral("批处理已完成，但并非每一行都生成并写入了驻波图！")) &&
            done.text.contains(QStringLiteral("读取4行：生成2条驻波，2行未生成；已写入文档2条。")),
        qPrintable(done.text));
    QCOMPARE(done.details.split(QStringLiteral("\r\n")).size(), 2);
    QVERIFY(batchReport().endsWith(QStringLiteral("2行未生成！")));
    // The rows stand out in the list.
    QCOMPARE(list()->item(2)->foreground().color(), QColor(200, 0, 0));
    QCOMPARE(list()->item(1)->foreground().style(), Qt::NoBrush);
}

void TestReportCommands::unwritableDocumentDuringBatchLosesNothing_data() {
    QTest::addColumn<bool>("locked");
    QTest::newRow("read-only") << false;
    QTest::newRow("open in an office program") << true;
}

void TestReportCommands::unwritableDocumentDuringBatchLosesNothing() {
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

void TestReportCommands::closeAsksEachTimePicturesWait() {
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

void TestReportCommands::switchingTargetKeepsWaitingPictures_data() {
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

void TestReportCommands::switchingTargetKeepsWaitingPictures() {
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

void TestReportCommands::batchAfterATypedTargetSwitch_data() {
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
void TestReportCommands::batchAfterATypedTargetSwitch() {
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

void TestReportCommands::documentChangesDuringBatch_data() {
    QTest::addColumn<bool>("deleted");
    QTest::newRow("made read-only") << false;
    QTest::newRow("deleted") << true;
}

void TestReportCommands::documentChangesDuringBatch() {
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
        QVERIFY(docxinspect::pictureDescriptions(m_docx).size() < 6);
        return;
    }
    // A write that cannot succeed ends the batch rather than piling up rows.
    QVERIFY2(batchReport().startsWith(QStringLiteral("已中止：处理了")), qPrintable(batchReport()));
    QVERIFY2(message.startsWith(QStringLiteral("批处理已中止")) &&
                 message.contains(QStringLiteral("只读")),
             qPrintable(message));
    unblockDocument(false);
}

void TestReportCommands::batchUnderACommaLocale_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QString>("length"); // field 1 after the batch
    QTest::addColumn<QString>("vswr");   // field 2 after the batch
    QTest::addColumn<QStringList>("refused");
    QTest::newRow("numbers only") << "complete.xlsx" << 6 << "18,2"
                                  << "1,21" << QStringList{};
    // Column B mixes numbers and texts: its numbers still read as numbers;
    // only the text and the empty cell keep their rows from a plot.
    QTest::newRow("mixed column") << "mixed.xlsx" << 3 << "10,0"
                                  << "2" << QStringList{"第3行（A2）", "第5行（A4）"};
}

void TestReportCommands::batchUnderACommaLocale() {
    QFETCH(QString, file);
    QFETCH(int, pictures);
    QFETCH(QString, length);
    QFETCH(QString, vswr);
    QFETCH(QStringList, refused);
    // Numbers the program writes into the fields are read back as numbers
    // where the decimal separator is a comma.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    delete m_form;
    m_form = new Form1(m_fakes->platform());
    QCOMPARE(field(1)->text(), QStringLiteral("13,5"));
    prepareBatch(workbookData(file));
    m_form->runBatch();
    QLocale::setDefault(saved);
    QCOMPARE(field(1)->text(), length);
    QCOMPARE(field(2)->text(), vswr);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), pictures);
    const QString details = m_fakes->dialogs.boxes.last().details;
    for (const QString& row : refused)
        QVERIFY2(details.contains(row), qPrintable(details));
    QCOMPARE(details.count(QStringLiteral("不是数字")), refused.isEmpty() ? 0 : 1);
}

void TestReportCommands::largeWorkbookIsConfirmed_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("pictures");
    // Empty rows are skipped, so they call for no question however many.
    QTest::newRow("nine of eleven empty") << "mostly-empty.xlsx" << 0 << 0 << 3;
    QTest::newRow("a million rows, one with a segment only") << "last-row.xlsx" << 0 << 0 << 1;
    QTest::newRow("more rows with values than the limit, cancelled") << "" << 0 << 1 << 1;
}

void TestReportCommands::largeWorkbookIsConfirmed() {
    QFETCH(QString, file);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(int, pictures);
    QString path = workbookData(file);
    if (file.isEmpty()) {
        path = m_dir->filePath(QStringLiteral("large.xlsx"));
        QList<QStringList> rows{{QStringLiteral("驻波段"), QStringLiteral("驻波比")}};
        for (int i = 0; i <= 10000; ++i)
            rows.append(
                {QStringLiteral("段%1").arg(i), QStringLiteral("1.2"), QStringLiteral("8")});
        QVERIFY(makeWorkbook(path, rows));
    }
    prepareBatch(path);
    if (file.startsWith(QStringLiteral("mostly")))
        QCOMPARE(batchReport(),
                 QStringLiteral("导入11行数据，其中9行是空行；\r\n批处理时将跳过空行。"));
    m_fakes->dialogs.answers = {{answer, false}};
    m_form->runBatch();
    QCOMPARE(m_fakes->dialogs.questions().size(), questions);
    if (questions > 0)
        QVERIFY(
            m_fakes->dialogs.questions()[0].text.startsWith(QStringLiteral("将处理10001行数据")));
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), pictures);
}

void TestReportCommands::templateTakesTheBatch_data() {
    QTest::addColumn<bool>("open");         // "打开文档" is chosen in the completion message
    QTest::addColumn<bool>("desktopFails"); // no program opens the document
    QTest::newRow("message closed") << false << false;
    QTest::newRow("document opened from the message") << true << false;
    QTest::newRow("no program to open it") << true << true;
}

void TestReportCommands::templateTakesTheBatch() {
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
    QVERIFY2(told.contains(QStringLiteral("页眉")) && told.contains(QStringLiteral("有 2 个")),
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
                 !done.text.contains(QStringLiteral("有 2 个")),
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

QTEST_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"
