// Save, import and batch driven through the main window with fake services.
#include "mainwindow/Form1.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kData = QStringLiteral(VELTRACE_TEST_DATA);

QString workbook(const QString& name) {
    return kData + QStringLiteral("/workbooks/") + name;
}

} // namespace

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
    void readOnlyDocumentDuringBatchLosesNothing();
    void closeDuringBatchFinishesTheRowAndWrites();

private:
    QLineEdit* field(int index) const {
        return m_form->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(index));
    }
    QLineEdit* target() const { return m_form->findChild<QLineEdit*>(QStringLiteral("Text2")); }
    QListWidget* list() const { return m_form->findChild<QListWidget*>(QStringLiteral("List1")); }
    QPushButton* batchButton() const {
        return m_form->findChild<QPushButton*>(QStringLiteral("Command4"));
    }
    QStringList listLines() const;
    // A first manual save into a new document, then an import of the workbook.
    void prepareBatch(const QString& workbookPath);

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

void TestReportCommands::prepareBatch(const QString& workbookPath) {
    m_form->setFieldText(0, QStringLiteral("manual"));
    m_form->generate();
    m_fakes->dialogs.fileAnswers = {m_docx, workbookPath};
    m_form->save();
    m_form->importData();
    m_fakes->dialogs.messages.clear();
}

void TestReportCommands::cancelledFirstSaveChangesNothing() {
    m_form->save();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 1);
    QVERIFY(target()->text().isEmpty());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QCOMPARE(m_fakes->clipboard.sets, 0);
}

void TestReportCommands::savesAppendInOrder() {
    m_fakes->dialogs.fileAnswers = {m_dir->filePath(QStringLiteral("report"))};
    const QStringList segments{QStringLiteral("段A"), QStringLiteral("段B")};
    for (const QString& segment : segments) {
        m_form->setFieldText(0, segment);
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
}

void TestReportCommands::emptiedTargetAsksAgain() {
    const QString second = m_dir->filePath(QStringLiteral("second.docx"));
    m_fakes->dialogs.fileAnswers = {m_docx, second};
    m_form->save();
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
    prepareBatch(workbook(file));
    const QStringList expected{QStringLiteral("驻波段           驻波比"),
                               QStringLiteral("1扇区      1.18"),
                               QStringLiteral("2扇区      1.25"),
                               QStringLiteral("      "),
                               QStringLiteral("3扇区      "),
                               QStringLiteral("4扇区      1.3")};
    QCOMPARE(listLines(), expected);
    QCOMPARE(m_form->findChild<QLabel*>(QStringLiteral("Label3"))->text(), workbook(file));
    QVERIFY(batchButton()->isEnabled());

    // A second import replaces the list; the batch stays available.
    m_fakes->dialogs.fileAnswers = {workbook(QStringLiteral("heading-only.xlsx"))};
    m_form->importData();
    QCOMPARE(listLines(), QStringList{expected.first()});
    QVERIFY(batchButton()->isEnabled());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestReportCommands::importOfABadWorkbookIsReported() {
    prepareBatch(workbook(QStringLiteral("no-sheet1.xlsx")));
    // prepareBatch cleared the messages after the import; import again to see it.
    m_fakes->dialogs.fileAnswers = {workbook(QStringLiteral("no-sheet1.xlsx"))};
    m_form->importData();
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(QStringLiteral("Sheet1")));
    QVERIFY(errors[0].contains(QStringLiteral("\r\n不明原因请联系作者")));
    QCOMPARE(listLines().size(), 1);
    QVERIFY(!batchButton()->isEnabled());
}

void TestReportCommands::batchAppendsEveryRowInOrder() {
    prepareBatch(workbook(QStringLiteral("basic.xlsx")));
    m_form->runBatch();
    QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 6);
    const QStringList order{QStringLiteral("manual"), QStringLiteral("1扇区"),
                            QStringLiteral("2扇区"),  QStringLiteral("2扇区"),
                            QStringLiteral("3扇区"),  QStringLiteral("4扇区")};
    for (int i = 0; i < order.size(); ++i)
        QVERIFY2(descriptions[i].contains(order[i]), qPrintable(descriptions.join(",")));
    QCOMPARE(docxinspect::emptyParagraphs(m_docx), 1);

    const QString report = m_form->findChild<QLabel*>(QStringLiteral("Label4"))->text();
    QVERIFY(report.startsWith(QStringLiteral("处理完成！\r\n本次共生成5条驻波！\r\n")));
    const QStringList info = m_fakes->dialogs.informationTexts();
    QCOMPARE(info.size(), 1);
    QVERIFY(info[0].startsWith(QStringLiteral("已完成所有驻波图的生成！本次共生成5条驻波！\r\n"
                                              "驻波图保存位置：") +
                               m_docx + QStringLiteral("\r\n")));
    QVERIFY(m_fakes->dialogs.criticalTexts().isEmpty());
    QCOMPARE(batchButton()->text(), QStringLiteral("处理以上数据"));

    // A second run appends the same rows again.
    m_form->runBatch();
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 11);
}

void TestReportCommands::batchWritesTheRowFields() {
    prepareBatch(workbook(QStringLiteral("basic.xls")));
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
    prepareBatch(workbook(QStringLiteral("basic.xlsx")));
    m_form->findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(true);
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
    prepareBatch(workbook(QStringLiteral("mixed.xlsx")));
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
    QVERIFY(QFile::copy(workbook(QStringLiteral("basic.xlsx")), copy));
    prepareBatch(copy);
    QVERIFY(QFile::remove(copy));
    m_form->runBatch();
    QVERIFY(m_form->findChild<QLabel*>(QStringLiteral("Label4"))
                ->text()
                .contains(QStringLiteral("本次共生成0条驻波！")));
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
    QVERIFY(QFile::copy(workbook(QStringLiteral("basic.xlsx")), copy));
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
    QVERIFY(m_form->findChild<QLabel*>(QStringLiteral("Label4"))
                ->text()
                .contains(QStringLiteral("本次共生成5条驻波！")));
    QCOMPARE(m_fakes->dialogs.criticalTexts(), QStringList());
    const QStringList descriptions = docxinspect::pictureDescriptions(m_docx);
    QCOMPARE(descriptions.size(), 6);
    QVERIFY(descriptions[5].contains(QStringLiteral("4扇区")));
}

void TestReportCommands::batchIgnoresCommandsWhileRunning() {
    prepareBatch(workbook(QStringLiteral("basic.xlsx")));
    int dialogsBefore = m_fakes->dialogs.dialogsShown;
    m_fakes->yield.onYield = [&](int) {
        m_form->runBatch();
        m_form->importData();
        m_form->save();
        QVERIFY(!m_form->generate());
    };
    m_form->runBatch();
    QCOMPARE(m_fakes->dialogs.dialogsShown, dialogsBefore);
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 6);
}

void TestReportCommands::closeDuringBatchFinishesTheRowAndWrites() {
    prepareBatch(workbook(QStringLiteral("basic.xlsx")));
    m_form->show();
    m_fakes->yield.onYield = [&](int) {
        if (batchButton()->text() == QStringLiteral("正在处理： 2/5"))
            m_form->close();
    };
    m_form->runBatch();
    QVERIFY(!m_form->isVisible());
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 3);
}

void TestReportCommands::readOnlyDocumentDuringBatchLosesNothing() {
    prepareBatch(workbook(QStringLiteral("basic.xlsx")));
    QFile document(m_docx);
    QVERIFY(document.open(QIODevice::ReadOnly));
    const QByteArray before = document.readAll();
    document.close();
    const QFile::Permissions permissions = QFile::permissions(m_docx);
    QFile::setPermissions(m_docx, QFile::ReadOwner);

    m_form->runBatch();
    QVERIFY(m_form->findChild<QLabel*>(QStringLiteral("Label4"))
                ->text()
                .contains(QStringLiteral("本次共生成5条驻波！")));
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QVERIFY(!errors.isEmpty());
    QVERIFY(errors.first().contains(QStringLiteral("report.docx")));
    QVERIFY(document.open(QIODevice::ReadOnly));
    QCOMPARE(document.readAll(), before);
    document.close();

    // Closing while the pictures still cannot be written is refused once,
    // with a word on what would be lost.
    const int errorsBefore = m_fakes->dialogs.criticalTexts().size();
    QVERIFY(!m_form->close());
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), errorsBefore + 1);
    QVERIFY(m_fakes->dialogs.criticalTexts().last().contains(QStringLiteral("5 张驻波图")));

    // Once the document can be written again, closing the window writes the
    // pictures the batch accepted.
    QFile::setPermissions(m_docx, permissions);
    QVERIFY(m_form->close());
    QCOMPARE(docxinspect::pictureDescriptions(m_docx).size(), 6);
}

QTEST_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"
