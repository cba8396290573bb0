// Import and the batch through the main window: what each row becomes, and what the
// user is told of it.
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

class TestBatchRows : public ReportWindowTest {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void importNeedsATarget();
    void importListsTheRows_data();
    void importListsTheRows();
    void importOfABadWorkbookIsReported();
    void batchWritesTheRowFields();
    void batchWithSpecifiedTimeWritesTheTime();
    void carryEmptyIsAChoiceKeptBetweenRuns();
    void templateOptionsAreKeptBetweenRuns();
    void batchProblemsAreListed_data();
    void batchProblemsAreListed();
    void batchUnderACommaLocale_data();
    void batchUnderACommaLocale();
    void largeWorkbookIsConfirmed_data();
    void largeWorkbookIsConfirmed();
};

void TestBatchRows::importNeedsATarget() {
    m_form->importData();
    QCOMPARE(m_fakes->dialogs.dialogsShown, 0);
    QCOMPARE(m_fakes->dialogs.informationTexts(),
             QStringList{QStringLiteral("对不起，您必须先手动生成一个驻波并保存到一个WORD文档内，"
                                        "作为程序参考驻波！")});
}

void TestBatchRows::importListsTheRows_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("xls") << "basic.xls";
    QTest::newRow("xlsx") << "basic.xlsx";
}

void TestBatchRows::importListsTheRows() {
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

void TestBatchRows::importOfABadWorkbookIsReported() {
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

void TestBatchRows::batchWritesTheRowFields() {
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

void TestBatchRows::batchWithSpecifiedTimeWritesTheTime() {
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

void TestBatchRows::carryEmptyIsAChoiceKeptBetweenRuns() {
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

void TestBatchRows::templateOptionsAreKeptBetweenRuns() {
    const QCheckBox* replace = controls::check(*m_form, 4);
    QVERIFY(!replace->isChecked());
    // The long caption is shown whole in the console's narrow column.
    QVERIFY(replace->sizeHint().width() <= replace->width());
    auto* limit = controls::control<QLineEdit>(*m_form, QStringLiteral("Text3"));
    QCOMPARE(limit->text(), QStringLiteral("1.5"));
    // No VSWR is below 1: refused with a word, the limit before it comes back.
    limit->setText(QStringLiteral("0.9"));
    emit limit->editingFinished();
    QCOMPARE(limit->text(), QStringLiteral("1.5"));
    QCOMPARE(m_fakes->dialogs.criticalTexts(),
             QStringList{QStringLiteral("驻波比上限“0.9”不是不小于1的数字，仍用 1.5。")});
    limit->setText(QStringLiteral("1.35"));
    emit limit->editingFinished();
    Form1 next(m_fakes->platform());
    QCOMPARE(controls::control<QLineEdit>(next, QStringLiteral("Text3"))->text(),
             QStringLiteral("1.35"));
}

void TestBatchRows::batchProblemsAreListed_data() {
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<int>("boxesDuringRun");
    // A text VSWR and an empty one: each row's box names its row, column and
    // value.
    QTest::newRow("every message") << false << 2;
    QTest::newRow("quiet after the first") << true << 1;
}

void TestBatchRows::batchProblemsAreListed() {
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

void TestBatchRows::batchUnderACommaLocale_data() {
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

void TestBatchRows::batchUnderACommaLocale() {
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

void TestBatchRows::largeWorkbookIsConfirmed_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("pictures");
    // Empty rows are skipped, so they call for no question however many.
    QTest::newRow("nine of eleven empty") << "mostly-empty.xlsx" << 0 << 0 << 3;
    QTest::newRow("a million rows, one with a segment only") << "last-row.xlsx" << 0 << 0 << 1;
    QTest::newRow("more rows with values than the limit, cancelled") << "" << 0 << 1 << 1;
}

void TestBatchRows::largeWorkbookIsConfirmed() {
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

QTEST_MAIN(TestBatchRows)
#include "tst_batchrows.moc"
