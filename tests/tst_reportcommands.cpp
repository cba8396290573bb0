// Save, import and batch driven through the main window with fake services.
#include "mainwindow/Form1.h"
#include "support/Controls.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"
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
    void batchRefusesATextVswrAndStillSaves();
    void batchOfAVanishedWorkbookCountsNothing();
    void workbookCutOrDeletedDuringBatchChangesNothing();
    void batchIgnoresCommandsWhileRunning();
    void unwritableDocumentDuringBatchLosesNothing_data();
    void unwritableDocumentDuringBatchLosesNothing();
    void closeAsksEachTimePicturesWait();
    void switchingTargetKeepsWaitingPictures_data();
    void switchingTargetKeepsWaitingPictures();
    void closeDuringBatchAsks_data();
    void closeDuringBatchAsks();
    void stopDuringBatchKeepsACleanPrefix_data();
    void stopDuringBatchKeepsACleanPrefix();
    void batchProblemsAreListed_data();
    void batchProblemsAreListed();
    void documentChangesDuringBatch_data();
    void documentChangesDuringBatch();
    void batchUnderACommaLocale();
    void mostlyEmptyWorkbookIsConfirmed_data();
    void mostlyEmptyWorkbookIsConfirmed();
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
    m_form->save();
    QVERIFY(batchReport().endsWith(QStringLiteral("（新建的文档）")));
    target()->clear();
    m_form->save();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 2);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 1);
    QCOMPARE(docxinspect::pictureDescriptions(second).size(), 1);
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
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    m_form->runBatch();
    QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 6);
    const QStringList order{QStringLiteral("manual"), QStringLiteral("1扇区"),
                            QStringLiteral("2扇区"),  QStringLiteral("2扇区"),
                            QStringLiteral("3扇区"),  QStringLiteral("4扇区")};
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
    const QStringList expected{"1扇区|1.18|0.070dB/m|0.880|25.4|" + clockTime,
                               "2扇区|1.25|0.110dB/m|0.880|8.0|" + clockTime,
                               "2扇区|1.25|0.070dB/m|0.880|8.0|" +
                                   clockTime, // an empty row keeps the fields
                               "3扇区|1.25|0.110dB/m|0.880|12.5|" + clockTime,
                               "4扇区|1.3|0.070dB/m|0.880|40.0|" + clockTime};
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

void TestReportCommands::batchRefusesATextVswrAndStillSaves() {
    prepareBatch(workbookData(QStringLiteral("mixed.xlsx")));
    m_form->runBatch();
    QCOMPARE(
        m_fakes->dialogs.criticalTexts().count(QStringLiteral("您的输入有错！请输入纯数字数据！")),
        1);
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 5);
    QVERIFY(descriptions[2].contains(QStringLiteral("A2")));
}

void TestReportCommands::batchOfAVanishedWorkbookCountsNothing() {
    const QString copy = m_dir->filePath(QStringLiteral("data.xlsx"));
    QVERIFY(QFile::copy(workbookData(QStringLiteral("basic.xlsx")), copy));
    prepareBatch(copy);
    QVERIFY(QFile::remove(copy));
    m_form->runBatch();
    QVERIFY(controls::report(*m_form)->text().contains(QStringLiteral("本次共生成0条驻波！")));
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(QStringLiteral("data.xlsx")));
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 1);
    QCOMPARE(batchButton()->text(), QStringLiteral("处理以上数据"));
}

void TestReportCommands::workbookCutOrDeletedDuringBatchChangesNothing() {
    // The batch reads the whole sheet when it starts: what happens to the file
    // afterwards changes none of its rows.
    const QString copy = m_dir->filePath(QStringLiteral("data.xlsx"));
    QVERIFY(QFile::copy(workbookData(QStringLiteral("basic.xlsx")), copy));
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
    QVERIFY(descriptions[5].contains(QStringLiteral("4扇区")));
}

void TestReportCommands::batchIgnoresCommandsWhileRunning() {
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
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
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
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
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
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

void TestReportCommands::batchProblemsAreListed_data() {
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<int>("boxesDuringRun");
    // A text VSWR: the field's refusal, then the drawing's error report.
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
    QCOMPARE(boxes[0].text, QStringLiteral("您的输入有错！请输入纯数字数据！"));
    QVERIFY(!boxes[0].option.isEmpty());

    const MessageBox& done = boxes.last();
    QVERIFY(done.text.startsWith(QStringLiteral("已完成所有驻波图的生成！本次共生成4条驻波！")));
    QVERIFY(done.text.contains(QStringLiteral("有1行数据有问题")));
    QVERIFY2(done.details.startsWith(QStringLiteral("第3行（A2）：驻波比“无”不是数字，已清空")),
             qPrintable(done.details));
    QVERIFY(batchReport().endsWith(QStringLiteral("1行数据有问题")));
    // The row stands out in the list.
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
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    QFile document(m_docx);
    QVERIFY(document.open(QIODevice::ReadOnly));
    const QByteArray before = document.readAll();
    document.close();
    blockDocument(locked);

    m_form->runBatch();
    // The report says how many plots did not reach the document, and why.
    QVERIFY2(batchReport().contains(QStringLiteral("生成5条驻波，5条未写入文档！")),
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
    m_fakes->dialogs.fileAnswers = {m_docx};
    m_form->save();
    blockDocument(false);
    m_form->save();
    QVERIFY(!m_form->close());
    QVERIFY(m_fakes->dialogs.questions().last().text.contains(QStringLiteral("1 张驻波图")));
    // The waiting picture is written with the next save...
    unblockDocument(false);
    m_form->save();
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 3);
    // ...and a new failure is asked about again, for the pictures waiting now.
    blockDocument(false);
    m_form->save();
    m_form->save();
    QVERIFY(!m_form->close());
    QCOMPARE(m_fakes->dialogs.questions().size(), 2);
    QVERIFY(m_fakes->dialogs.questions().last().text.contains(QStringLiteral("2 张驻波图")));
    // Giving them up is the user's explicit choice.
    m_fakes->dialogs.answers = {{1, false}};
    QVERIFY(m_form->close());
    unblockDocument(false);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 3);
}

void TestReportCommands::switchingTargetKeepsWaitingPictures_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("newTargetBad");
    QTest::addColumn<bool>("typed"); // typed into the field, or chosen in the dialog
    QTest::newRow("keep, typed") << 0 << false << true;
    QTest::newRow("keep, chosen") << 0 << false << false;
    QTest::newRow("give up, good new target") << 1 << false << true;
    QTest::newRow("give up, bad new target") << 1 << true << false;
}

void TestReportCommands::switchingTargetKeepsWaitingPictures() {
    QFETCH(int, answer);
    QFETCH(bool, newTargetBad);
    QFETCH(bool, typed);
    const QString other = m_dir->filePath(QStringLiteral("other.docx"));
    if (newTargetBad) {
        QFile text(other);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a document\n");
    }
    m_fakes->dialogs.fileAnswers = {m_docx};
    m_form->save();
    blockDocument(false);
    m_form->save(); // waits: the document is read-only
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
        QCOMPARE(target()->text(), m_docx);
        QVERIFY(!QFileInfo::exists(other));
        unblockDocument(false);
        m_form->save(); // the kept picture and this one
        QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 3);
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

void TestReportCommands::documentChangesDuringBatch_data() {
    QTest::addColumn<bool>("deleted");
    QTest::newRow("made read-only") << false;
    QTest::newRow("deleted") << true;
}

void TestReportCommands::documentChangesDuringBatch() {
    QFETCH(bool, deleted);
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
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

void TestReportCommands::batchUnderACommaLocale() {
    // Numbers the program writes into the fields are read back as numbers
    // where the decimal separator is a comma.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    delete m_form;
    m_form = new Form1(m_fakes->platform());
    QCOMPARE(field(1)->text(), QStringLiteral("13,5"));
    prepareBatch(workbookData(QStringLiteral("basic.xlsx")));
    m_form->runBatch();
    QLocale::setDefault(saved);
    QCOMPARE(m_fakes->dialogs.criticalTexts(), QStringList());
    QCOMPARE(field(1)->text(), QStringLiteral("40,0"));
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 6);
}

void TestReportCommands::mostlyEmptyWorkbookIsConfirmed_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QString>("said");
    QTest::newRow("nine of eleven empty, cancelled")
        << "mostly-empty.xlsx" << 0 << 1 << "导入11行数据，其中9行是空行";
    QTest::newRow("nine of eleven empty, started")
        << "mostly-empty.xlsx" << 1 << 12 << "导入11行数据，其中9行是空行";
    // One value in the format's last row: a million rows, nearly all empty.
    QTest::newRow("a million rows, cancelled")
        << "last-row.xlsx" << 0 << 1 << "导入1048575行数据，其中1048574行是空行";
}

void TestReportCommands::mostlyEmptyWorkbookIsConfirmed() {
    QFETCH(QString, file);
    QFETCH(int, answer);
    QFETCH(int, pictures);
    QFETCH(QString, said);
    prepareBatch(workbookData(file));
    QVERIFY2(batchReport().startsWith(said), qPrintable(batchReport()));
    m_fakes->dialogs.answers = {{answer, false}};
    m_form->runBatch();
    QCOMPARE(m_fakes->dialogs.questions().size(), 1);
    QVERIFY(m_fakes->dialogs.questions()[0].text.contains(said.mid(2)));
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

    m_fakes->dialogs.answers = {{0, false, open}};
    m_form->runBatch();
    // Each row under its heading, the second plain placeholder in a table
    // cell, and the rows without a placeholder at the end.
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    const QStringList order{QStringLiteral("manual"), QStringLiteral("1扇区"),
                            QStringLiteral("2扇区"),  QStringLiteral("3扇区"),
                            QStringLiteral("2扇区"),  QStringLiteral("4扇区")};
    QCOMPARE(descriptions.size(), order.size());
    for (int i = 0; i < order.size(); ++i)
        QVERIFY2(descriptions[i].contains(order[i]), qPrintable(descriptions.join(",")));
    const QString body =
        QString::fromUtf8(docxinspect::entry(m_docx, QStringLiteral("word/document.xml")));
    QVERIFY(body.contains(QStringLiteral("<wp:extent cx=\"%1\"").arg((2268 - 216) * 635)));
    QVERIFY(body.contains(QStringLiteral("{{驻波图:9扇区}}")));
    QCOMPARE(body.count(QStringLiteral("{{驻波图:1扇区}}")), 1);
    QCOMPARE(docxinspect::entry(m_docx, QStringLiteral("word/header1.xml")),
             docxinspect::entry(fixture, QStringLiteral("word/header1.xml")));

    // The message names the document and where the plots went, tells the
    // placeholder no row took (and not again what was said before), and
    // offers the document.
    QCOMPARE(m_fakes->dialogs.boxes.size(), desktopFails ? 3 : 2);
    const MessageBox& done = m_fakes->dialogs.boxes.at(1);
    QVERIFY2(done.text.contains(QStringLiteral("驻波图保存位置：") + m_docx) &&
                 done.text.contains(QStringLiteral("其中3张放入占位符，2张追加到文末")) &&
                 done.text.contains(QStringLiteral("“9扇区”")) &&
                 !done.text.contains(QStringLiteral("有 2 个")),
             qPrintable(done.text));
    QCOMPARE(done.action, QStringLiteral("打开文档"));
    QVERIFY(done.text.contains(QStringLiteral("关闭文档后")));
    QCOMPARE(m_fakes->desktop.opened, open ? QStringList{m_docx} : QStringList());
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), desktopFails ? 1 : 0);
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
