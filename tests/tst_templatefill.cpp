#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

// Filling a report template: placeholders, named or plain, the bookmark and
// the end of the body, in table cells and split across runs, with a notice
// for each place that cannot be used. Read back through support/DocxInspect.
namespace {

using docxinspect::Entries;
using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::Inspection;
using docxinspect::kDocumentPart;
using docxinspect::kR;
using docxinspect::kRelsPart;
using docxinspect::kTypesPart;
using docxinspect::kW;
using docxinspect::pictureOf;
using namespace docxbuild;

} // namespace

class TestTemplateFill : public QObject {
    Q_OBJECT
private slots:
    void fillsTemplates_data();
    void fillsTemplates();
};

void TestTemplateFill::fillsTemplates_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("header"); // a header holding a placeholder
    QTest::addColumn<QStringList>("segments");
    QTest::addColumn<QString>("expected");    // the body afterwards, as templateBody shows it
    QTest::addColumn<QString>("places");      // placeholders/bookmark/end
    QTest::addColumn<QStringList>("notices"); // a word of each notice, in order
    const QString title = para(QStringLiteral("测试报告"));
    const QString end = QStringLiteral("<w:p/>") + kSection;
    const QString centred = QStringLiteral("<w:pPr><w:jc w:val=\"center\"/></w:pPr>");
    const QString plain = para(QStringLiteral("{{驻波图}}"));
    const QStringList abc{"A", "B", "C"};

    QTest::newRow("plain placeholders in order, then the end")
        << title + plain + para(QStringLiteral("第二节")) + para(QStringLiteral(" {{ vswr }} ")) +
               kSection
        << false << abc
        << title + picPara("A") + para(QStringLiteral("第二节")) + picPara("B") + picPara("C") + end
        << "2/0/1" << QStringList();
    QTest::newRow("named placeholders take their segment's plot wherever it comes")
        << para(QStringLiteral("{{驻波图:B}}"), centred) +
               para(QStringLiteral("{{驻波图： ａ }}")) + plain + kSection
        << false << QStringList{"A", "C", "B"}
        << QStringLiteral("<w:p>%1%2</w:p>").arg(centred, pic("B")) + picPara("A") + picPara("C") +
               kSection
        << "3/0/0" << QStringList();
    QTest::newRow("a segment without a placeholder takes a plain one, then the end")
        << para(QStringLiteral("{{驻波图:B}}")) + plain + kSection << false << abc
        << picPara("B") + picPara("A") + picPara("C") + end << "2/0/1" << QStringList();
    // Split by formatting and proofing marks, inside a bookmark of its own:
    // the runs give way to the picture, the rest of the paragraph stays.
    QTest::newRow("placeholder split across runs")
        << QStringLiteral("<w:p>%1<w:bookmarkStart w:id=\"5\" w:name=\"图1\"/><w:r><w:rPr><w:b/>"
                          "</w:rPr><w:t>{{</w:t></w:r><w:proofErr w:type=\"spellStart\"/><w:r>"
                          "<w:t>驻波</w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t xml:space=\""
                          "preserve\">图 : T1-B1F </w:t></w:r><w:proofErr w:type=\"spellEnd\"/>"
                          "<w:r><w:lastRenderedPageBreak/><w:t>}}</w:t></w:r>"
                          "<w:bookmarkEnd w:id=\"5\"/></w:p>")
                   .arg(centred) +
               kSection
        << false << QStringList{"t1-b1f"}
        << QStringLiteral("<w:p>%1<w:bookmarkStart w:id=\"5\" w:name=\"图1\"/>%2"
                          "<w:bookmarkEnd w:id=\"5\"/></w:p>")
                   .arg(centred, pic("t1-b1f")) +
               kSection
        << "1/0/0" << QStringList();
    // An exact line spacing would crop the picture to one line: it becomes a
    // minimum; the rest of the paragraph's properties stay.
    const QString spaced =
        QStringLiteral("<w:pPr><w:spacing w:before=\"120\" w:line=\"360\" w:lineRule=\"%1\"/>"
                       "<w:jc w:val=\"center\"/></w:pPr>");
    QTest::newRow("placeholder with exact line spacing")
        << para(QStringLiteral("{{驻波图}}"), spaced.arg(QStringLiteral("exact"))) + kSection
        << false << QStringList{"A"}
        << QStringLiteral("<w:p>%1%2</w:p>").arg(spaced.arg(QStringLiteral("atLeast")), pic("A")) +
               kSection
        << "1/0/0" << QStringList();
    // Scaled to the cell: its own width, or its grid columns', less margins.
    QTest::newRow("placeholders in table cells")
        << table({3000, 6000},
                 {{"3000|" + plain, "|" + para(QStringLiteral("说明"))}, {"span2|" + plain}}) +
               kSection
        << false << QStringList{"A", "B"}
        << table({3000, 6000},
                 {{"3000|" + picPara("A", (3000 - 216) * 635), "|" + para(QStringLiteral("说明"))},
                  {"span2|" + picPara("B", (9000 - 216) * 635)}}) +
               kSection
        << "2/0/0" << QStringList();
    QTest::newRow("bookmark: after its paragraph, in save order")
        << title + bookmarked(QStringLiteral("各段驻波图：")) + para(QStringLiteral("结论")) +
               kSection
        << false << abc
        << title + bookmarked(QStringLiteral("各段驻波图：")) + picPara("A") + picPara("B") +
               picPara("C") + para(QStringLiteral("结论")) + kSection
        << "0/3/0" << QStringList();
    // Word ends a bookmark of a whole paragraph at the start of the next one.
    const QString wholeParagraph = QStringLiteral(
        "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"VELTRACE\"/><w:r><w:t>图</w:t></w:r></w:p>"
        "<w:p><w:bookmarkEnd w:id=\"1\"/><w:r><w:t>结论</w:t></w:r></w:p>");
    QTest::newRow("bookmark of a whole paragraph, placeholders first")
        << plain + wholeParagraph + kSection << false << abc
        << picPara("A") + wholeParagraph.left(wholeParagraph.indexOf(u"<w:p><w:bookmarkEnd")) +
               picPara("B") + picPara("C") +
               wholeParagraph.mid(wholeParagraph.indexOf(u"<w:p><w:bookmarkEnd")) + kSection
        << "1/2/0" << QStringList();
    QTest::newRow("placeholder right after the bookmark")
        << bookmarked(QStringLiteral("图")) + plain + para(QStringLiteral("结论")) + kSection
        << false << abc
        << bookmarked(QStringLiteral("图")) + picPara("A") + picPara("B") + picPara("C") +
               para(QStringLiteral("结论")) + kSection
        << "1/2/0" << QStringList();
    QTest::newRow("bookmark in a table cell")
        << table({4000}, {{"|" + bookmarked(QStringLiteral("图"))}}) + kSection << false
        << QStringList{"A"}
        << table({4000},
                 {{"|" + bookmarked(QStringLiteral("图")) + picPara("A", (4000 - 216) * 635)}}) +
               kSection
        << "0/1/0" << QStringList();
    const QString spanning = QStringLiteral(
        "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"veltrace\"/><w:r><w:t>一</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>二</w:t></w:r><w:bookmarkEnd w:id=\"0\"/></w:p>");
    QTest::newRow("bookmark spanning paragraphs")
        << spanning + kSection << false << abc
        << spanning + picPara("A") + picPara("B") + picPara("C") + end << "0/0/3"
        << QStringList{"跨越"};
    const QString aroundTable =
        QStringLiteral("<w:bookmarkStart w:id=\"0\" w:name=\"veltrace\"/>") +
        table({4000}, {{"|" + para(QStringLiteral("格"))}}) +
        QStringLiteral("<w:bookmarkEnd w:id=\"0\"/>") + title;
    QTest::newRow("bookmark around a table")
        << aroundTable + kSection << false << QStringList{"A"} << aroundTable + picPara("A") + end
        << "0/0/1" << QStringList{"跨越"};
    const QString textBox =
        QStringLiteral(
            "<w:p><w:r><w:pict><v:shape xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:textbox>"
            "<w:txbxContent>%1</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>")
            .arg(plain);
    QTest::newRow("placeholder in a text box")
        << textBox + title + kSection << false << QStringList{"A"}
        << textBox + title + picPara("A") + end << "0/0/1" << QStringList{"文本框"};
    const QString mixed = para(QStringLiteral("图 1：{{驻波图}}"));
    const QString withTab = QStringLiteral("<w:p><w:r><w:tab/><w:t>{{驻波图}}</w:t></w:r></w:p>");
    QTest::newRow("placeholders with other content")
        << mixed + withTab + kSection << false << QStringList{"A"}
        << mixed + withTab + picPara("A") + end << "0/0/1" << QStringList{"单独成段", "其他内容"};
    const QString twice = para(QStringLiteral("{{驻波图:A}}"));
    QTest::newRow("two placeholders for one segment")
        << twice + twice + kSection << false << QStringList{"A", "B"}
        << picPara("A") + twice + picPara("B") + end << "1/0/1" << QStringList{"不止一个（“A”）"};
    QTest::newRow("the only placeholder in a header")
        << title + kSection << true << QStringList{"A"} << title + picPara("A") + end << "0/0/1"
        << QStringList{"页眉"};
}

void TestTemplateFill::fillsTemplates() {
    QFETCH(QString, body);
    QFETCH(bool, header);
    QFETCH(QStringList, segments);
    QFETCH(QString, expected);
    QFETCH(QString, places);
    QFETCH(QStringList, notices);
    Entries package = minimalPackage(wordDocument(body));
    if (header) {
        package.append({kRelsPart, kDeclaration.toUtf8() +
                                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                                       "package/2006/relationships\"><Relationship Id=\"rId1\" "
                                       "Type=\"" +
                                       kR.toUtf8() +
                                       "/header\" Target=\"header1.xml\"/>"
                                       "</Relationships>"});
        package.append({QStringLiteral("word/header1.xml"),
                        (QStringLiteral("<w:hdr xmlns:w=\"%1\"><w:p><w:r><w:t>{{驻</w:t></w:r>"
                                        "<w:r><w:t>波图}}</w:t></w:r></w:p></w:hdr>")
                             .arg(kW))
                            .toUtf8()});
    }
    // Written at once, and one write per picture: the same document.
    QTemporaryDir dir;
    QByteArray documents[2];
    for (const bool oneByOne : {false, true}) {
        const QString path =
            dir.filePath(oneByOne ? QStringLiteral("b.docx") : QStringLiteral("a.docx"));
        writeZip(path, package);
        if (!oneByOne)
            keepSource(fileBytes(path));
        ReportDocument report(path);
        QCOMPARE(report.open().message(), QString());
        for (int i = 0; i < segments.size(); ++i) {
            report.paste(plot(i), segments.at(i));
            report.typeParagraphBreak();
            if (oneByOne)
                QCOMPARE(report.flush().message(), QString());
        }
        QCOMPARE(report.flush().message(), QString());
        const docx::Placement& placement = report.placement();
        QCOMPARE(QStringLiteral("%1/%2/%3")
                     .arg(placement.placeholders)
                     .arg(placement.bookmark)
                     .arg(placement.end),
                 places);
        QCOMPARE(placement.notices.lines().size(), notices.size());
        for (int i = 0; i < notices.size(); ++i)
            QVERIFY2(placement.notices.lines().at(i).contains(notices.at(i)),
                     qPrintable(placement.notices.lines().at(i)));

        const Inspection after = inspect(path);
        verifyPackage(after);
        if (QTest::currentTestFailed())
            return;
        documents[oneByOne] = entry(after.entries, kDocumentPart);
        // Every byte outside the placeholders' runs and the new paragraphs
        // stays; every other part too.
        QCOMPARE(templateBody(documents[oneByOne]), expected);
        for (const auto& [name, data] : package) {
            if (name != kDocumentPart && name != kRelsPart && name != kTypesPart)
                QCOMPARE(entry(after.entries, name), data);
        }
        for (int i = 0; i < segments.size(); ++i)
            QCOMPARE(pictureOf(after, after.pictures.at(i)).pixel(5, 5),
                     plotColor(segments.indexOf(
                                   after.pictures.at(i).description.section(u'：', 1).section(
                                       u'（', 0, 0)))
                         .rgb());
        if (!oneByOne) {
            QJsonArray sequence;
            for (const QString& item : templateSequence(expected))
                sequence.append(item);
            keepSample(path, {{QStringLiteral("sequence"), sequence},
                              {QStringLiteral("segments"), QJsonArray::fromStringList(segments)},
                              {QStringLiteral("earlier_pictures"), 0}});
        }
    }
    QCOMPARE(documents[1], documents[0]);
}

QTEST_MAIN(TestTemplateFill)
#include "tst_templatefill.moc"
