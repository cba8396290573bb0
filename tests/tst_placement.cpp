#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// Where pictures go in a filled template and whether Word and LibreOffice
// show them whole there: hidden places, line heights and the width a
// paragraph leaves. The packages are read back through support/DocxInspect,
// never through the document layer.
namespace {

using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::kDocumentPart;
using docxinspect::kRelsPart;
using docxinspect::kW;
using namespace docxbuild;

// Writes the plots of the segments into a copy of the package, in one save
// and in one save per plot; both must give the same main part, which is
// returned as templateBody shows it.
QString fillTemplate(const Entries& package, const QStringList& segments, QString* places,
                     QStringList* notices) {
    QTemporaryDir dir;
    QByteArray documents[2];
    for (const bool oneByOne : {false, true}) {
        const QString path =
            dir.filePath(oneByOne ? QStringLiteral("b.docx") : QStringLiteral("a.docx"));
        writeZip(path, package);
        ReportDocument report(path);
        if (const Outcome opened = report.open(); !opened.isOk())
            return opened.message();
        for (int i = 0; i < segments.size(); ++i) {
            report.paste(plot(i), segments.at(i));
            report.typeParagraphBreak();
            if (oneByOne && !report.flush().isOk())
                return QStringLiteral("a save failed");
        }
        if (const Outcome written = report.flush(); !written.isOk())
            return written.message();
        const docx::Placement& placement = report.placement();
        *places = QStringLiteral("%1/%2/%3")
                      .arg(placement.placeholders)
                      .arg(placement.bookmark)
                      .arg(placement.end);
        *notices = placement.notices.lines();
        const Inspection after = inspect(path);
        verifyPackage(after);
        documents[oneByOne] = entry(after.entries, kDocumentPart);
        if (!oneByOne) {
            // For the readers of check_docx_readers.sh: every picture drawn
            // whole, in this order.
            QJsonArray sequence;
            for (const QString& item : templateSequence(templateBody(documents[0])))
                sequence.append(item);
            keepSample(path, {{QStringLiteral("sequence"), sequence},
                              {QStringLiteral("segments"), QJsonArray::fromStringList(segments)},
                              {QStringLiteral("earlier_pictures"), 0},
                              {QStringLiteral("whole"), true}});
        }
    }
    if (documents[1] != documents[0])
        return QStringLiteral("one save per plot gave another document");
    return templateBody(documents[0]);
}

// A main part of that body that declares on its root, as Word does, the
// prefix mc of markup compatibility.
QByteArray mainPart(const QString& body) {
    return wordDocument(body).replace(
        "<w:document ",
        "<w:document xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" ");
}

// The styles part of that content (and the numbering part, when given),
// with the main part's relationships to them.
Entries formatting(const QString& styles, const QString& numbering = {}) {
    const auto part = [](const QString& root, const QString& content) {
        return (kDeclaration +
                QStringLiteral("<w:%1 xmlns:w=\"%2\">%3</w:%1>").arg(root, kW, content))
            .toUtf8();
    };
    Entries entries{{QStringLiteral("word/styles.xml"), part(QStringLiteral("styles"), styles)}};
    QStringList targets{"styles styles.xml"};
    if (!numbering.isEmpty()) {
        entries.append(
            {QStringLiteral("word/numbering.xml"), part(QStringLiteral("numbering"), numbering)});
        targets.append(QStringLiteral("numbering numbering.xml"));
    }
    entries.append({kRelsPart, relationships(targets)});
    return entries;
}

// A paragraph style: its id, what it is based on (or nothing) and its
// paragraph properties; the default one when its id is Normal.
QString style(const QString& id, const QString& basedOn, const QString& properties) {
    return QStringLiteral("<w:style w:type=\"paragraph\"%1 w:styleId=\"%2\"><w:name w:val=\"%2\"/>"
                          "%3<w:pPr>%4</w:pPr></w:style>")
        .arg(id == u"Normal" ? QStringLiteral(" w:default=\"1\"") : QString(), id,
             basedOn.isEmpty() ? QString()
                               : QStringLiteral("<w:basedOn w:val=\"%1\"/>").arg(basedOn),
             properties);
}

// A spacing element of a line of that height and rule.
QString spacing(int line, const QString& rule) {
    return QStringLiteral("<w:spacing w:line=\"%1\" w:lineRule=\"%2\"/>").arg(line).arg(rule);
}

// A table cell with its properties and content.
QString cell(const QString& properties, const QString& content) {
    return QStringLiteral("<w:tc><w:tcPr>%1</w:tcPr>%2</w:tc>").arg(properties, content);
}

// A table of those rows (each "<w:tr>...</w:tr>") on a grid of that many
// columns of 4000 twips.
QString tableOf(int columns, const QString& rows) {
    QString grid;
    for (int i = 0; i < columns; ++i)
        grid += QStringLiteral("<w:gridCol w:w=\"4000\"/>");
    return QStringLiteral("<w:tbl><w:tblPr/><w:tblGrid>%1</w:tblGrid>%2</w:tbl>").arg(grid, rows);
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void placesPicturesWhereShown_data();
    void placesPicturesWhereShown();
    void showsPicturesWhole_data();
    void showsPicturesWhole();
    void fitsTheParagraphsWidth_data();
    void fitsTheParagraphsWidth();
    void noticesStayShort();

private:
    // A template table: the body of a main part, the styles it has, the
    // segments of the plots saved into it, and what comes of it.
    void templateColumns();
    void checkTemplate();
};

void TestPlacement::templateColumns() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<Entries>("parts"); // styles and numbering, with relationships
    QTest::addColumn<QStringList>("segments");
    QTest::addColumn<QString>("expected"); // the body afterwards, as templateBody shows it
    QTest::addColumn<QString>("places");
    QTest::addColumn<QStringList>("notices");
}

void TestPlacement::placesPicturesWhereShown_data() {
    templateColumns();
    const QString plain = para(QStringLiteral("{{驻波图}}"));
    const QString end = QStringLiteral("<w:p/>") + kSection;
    const QStringList ab{"A", "B"};
    const QString deleted =
        QStringLiteral("<w:del w:id=\"9\" w:author=\"审阅\" w:date=\"2024-05-06T00:00:00Z\"/>");

    // Hidden places: left as they are, said once; the plot goes on.
    const QString alternatives =
        QStringLiteral("<mc:AlternateContent><mc:Choice "
                       "Requires=\"w14\">%1</mc:Choice><mc:Fallback>%1</mc:Fallback>"
                       "</mc:AlternateContent>")
            .arg(plain);
    QTest::newRow("placeholders in both alternatives of mc:AlternateContent")
        << alternatives + plain + kSection << Entries() << ab
        << alternatives + picPara("A") + picPara("B") + end << "1/0/1"
        << QStringList{"mc:AlternateContent"};
    const QString merged =
        tableOf(2, QStringLiteral("<w:tr>%1%2</w:tr><w:tr>%3%4</w:tr>")
                       .arg(cell(QStringLiteral("<w:vMerge w:val=\"restart\"/>"),
                                 para(QStringLiteral("合并"))),
                            cell({}, plain), cell(QStringLiteral("<w:vMerge/>"), plain),
                            cell({}, para(QStringLiteral("说明")))));
    QTest::newRow("placeholder in the merged part of a merged cell")
        << merged + kSection << Entries() << ab
        << QString(merged).replace(QStringLiteral("<w:tc><w:tcPr></w:tcPr>") + plain,
                                   QStringLiteral("<w:tc><w:tcPr></w:tcPr>") +
                                       picPara("A", (4000 - 216) * 635)) +
               picPara("B") + end
        << "1/0/1" << QStringList{"合并单元格"};
    const QString deletedRow = tableOf(
        1, QStringLiteral("<w:tr><w:trPr>%1</w:trPr>%2</w:tr>").arg(deleted, cell({}, plain)));
    QTest::newRow("placeholder in a deleted table row")
        << deletedRow + kSection << Entries() << ab
        << deletedRow + picPara("A") + picPara("B") + end << "0/0/2"
        << QStringList{"已删除的表格行"};
    const QString hiddenRow = tableOf(
        1, QStringLiteral("<w:tr><w:trPr><w:hidden/></w:trPr>%1</w:tr>").arg(cell({}, plain)));
    QTest::newRow("placeholder in a hidden table row")
        << hiddenRow + kSection << Entries() << ab << hiddenRow + picPara("A") + picPara("B") + end
        << "0/0/2" << QStringList{"隐藏的表格行"};
    const QString deletedParagraph =
        para(QStringLiteral("{{驻波图}}"),
             QStringLiteral("<w:pPr><w:rPr>%1</w:rPr></w:pPr>").arg(deleted));
    QTest::newRow("placeholder whose paragraph is deleted")
        << deletedParagraph + plain + kSection << Entries() << ab
        << deletedParagraph + picPara("A") + picPara("B") + end << "1/0/1"
        << QStringList{"已被删除"};
    const QString markedMerged = tableOf(
        1,
        QStringLiteral("<w:tr>%1</w:tr><w:tr>%2</w:tr>")
            .arg(cell(QStringLiteral("<w:vMerge w:val=\"restart\"/>"), para(QStringLiteral("图"))),
                 cell(QStringLiteral("<w:vMerge/>"), bookmarked(QStringLiteral("图")))));
    QTest::newRow("bookmark in the merged part of a merged cell")
        << markedMerged + kSection << Entries() << ab
        << markedMerged + picPara("A") + picPara("B") + end << "0/0/2" << QStringList{"合并单元格"};
    // A deleted empty paragraph at the end is not where the plots go.
    const QString deletedEnd =
        QStringLiteral("<w:p><w:pPr><w:rPr>%1</w:rPr></w:pPr></w:p>").arg(deleted);
    QTest::newRow("deleted empty paragraph at the end")
        << para(QStringLiteral("报告")) + deletedEnd + kSection << Entries() << ab
        << para(QStringLiteral("报告")) + deletedEnd + picPara("A") + picPara("B") + end << "0/0/2"
        << QStringList();
}

void TestPlacement::showsPicturesWhole_data() {
    templateColumns();
    const QString plain = para(QStringLiteral("{{驻波图}}"));
    const QString title = para(QStringLiteral("报告"));
    const QString end = QStringLiteral("<w:p/>") + kSection;
    const QStringList ab{"A", "B"};
    const QString exact400 = spacing(400, QStringLiteral("exact"));
    const QString mended400 =
        QStringLiteral("<w:pPr>%1</w:pPr>").arg(spacing(400, QStringLiteral("atLeast")));
    const Entries exactNormal = formatting(style(QStringLiteral("Normal"), {}, exact400));
    // New paragraphs and a placeholder's without properties get a minimum
    // line as high as the exact one.
    QTest::newRow("default paragraph style of exact line height")
        << title + plain + kSection << exactNormal << ab
        << title +
               QStringLiteral("<w:p>%1%2</w:p><w:p>%1%3</w:p>").arg(mended400, pic("A"), pic("B")) +
               end
        << "1/0/1" << QStringList();
    QTest::newRow("document defaults of exact line height")
        << title + plain + kSection
        << formatting(QStringLiteral("<w:docDefaults><w:pPrDefault><w:pPr>%1</w:pPr>"
                                     "</w:pPrDefault></w:docDefaults>")
                          .arg(exact400) +
                      style(QStringLiteral("Normal"), {}, QStringLiteral("<w:jc w:val=\"left\"/>")))
        << ab
        << title +
               QStringLiteral("<w:p>%1%2</w:p><w:p>%1%3</w:p>").arg(mended400, pic("A"), pic("B")) +
               end
        << "1/0/1" << QStringList();
    // The spacing goes where the schema wants it among the properties.
    const QString chain = style(QStringLiteral("Normal"), {}, {}) +
                          style(QStringLiteral("Base"), QStringLiteral("Normal"),
                                spacing(300, QStringLiteral("exact"))) +
                          style(QStringLiteral("Body"), QStringLiteral("Base"),
                                QStringLiteral("<w:jc w:val=\"center\"/>"));
    const QString styled =
        QStringLiteral("<w:pPr><w:pStyle w:val=\"Body\"/>%1<w:jc w:val=\"center\"/>"
                       "</w:pPr>");
    QTest::newRow("a style based on one of exact line height")
        << para(QStringLiteral("{{驻波图}}"), styled.arg(QString())) + kSection << formatting(chain)
        << ab
        << QStringLiteral("<w:p>%1%2</w:p>")
                   .arg(styled.arg(spacing(300, QStringLiteral("atLeast"))), pic("A")) +
               picPara("B") + end
        << "1/0/1" << QStringList();
    const QString before = QStringLiteral("<w:pPr><w:spacing w:before=\"120\"%1/></w:pPr>");
    QTest::newRow("own spacing without a line, style of exact line height")
        << para(QStringLiteral("{{驻波图}}"), before.arg(QString())) + kSection << exactNormal
        << QStringList{"A"}
        << QStringLiteral("<w:p>%1%2</w:p>")
                   .arg(before.arg(QStringLiteral(" w:line=\"400\" w:lineRule=\"atLeast\"")),
                        pic("A")) +
               kSection
        << "1/0/0" << QStringList();
    // LibreOffice keeps the style's exact rule for a line given without one.
    const QString ownLine = QStringLiteral("<w:pPr><w:spacing w:line=\"360\"%1/></w:pPr>");
    QTest::newRow("own line without a rule, style of exact line height")
        << para(QStringLiteral("{{驻波图}}"), ownLine.arg(QString())) + kSection << exactNormal
        << QStringList{"A"}
        << QStringLiteral("<w:p>%1%2</w:p>")
                   .arg(ownLine.arg(QStringLiteral(" w:lineRule=\"atLeast\"")), pic("A")) +
               kSection
        << "1/0/0" << QStringList();
    // A style of automatic line height under an exact default: nothing to mend.
    const QString single = QStringLiteral("<w:pPr><w:pStyle w:val=\"Single\"/></w:pPr>");
    QTest::newRow("own style of automatic line height")
        << para(QStringLiteral("{{驻波图}}"), single) + kSection
        << formatting(style(QStringLiteral("Normal"), {}, exact400) +
                      style(QStringLiteral("Single"), QStringLiteral("Normal"),
                            spacing(240, QStringLiteral("auto"))))
        << QStringList{"A"} << QStringLiteral("<w:p>%1%2</w:p>").arg(single, pic("A")) + kSection
        << "1/0/0" << QStringList();
    const QString tight = QStringLiteral("<w:pPr><w:pStyle w:val=\"Tight\"/>%1</w:pPr>");
    QTest::newRow("empty last paragraph of exact line height")
        << title + QStringLiteral("<w:p>%1</w:p>").arg(tight.arg(QString())) + kSection
        << formatting(style(QStringLiteral("Normal"), {}, {}) +
                      style(QStringLiteral("Tight"), {}, spacing(300, QStringLiteral("exact"))))
        << ab
        << title +
               QStringLiteral("<w:p>%1%2</w:p>")
                   .arg(tight.arg(spacing(300, QStringLiteral("atLeast"))), pic("A")) +
               picPara("B") + end
        << "0/0/2" << QStringList();
    QTest::newRow("empty last paragraph without properties, exact by default")
        << title + QStringLiteral("<w:p/>") + kSection << exactNormal << ab
        << title +
               QStringLiteral("<w:p>%1%2</w:p><w:p>%1%3</w:p>").arg(mended400, pic("A"), pic("B")) +
               end
        << "0/0/2" << QStringList();
    // A row of exact height becomes as high as its pictures need, once.
    const QString row = QStringLiteral("<w:tr><w:trPr><w:trHeight w:val=\"400\" w:hRule=\"%1\"/>"
                                       "</w:trPr>%2%3</w:tr>");
    const qint64 cellWidth = (4000 - 216) * 635;
    QTest::newRow("placeholders in a row of exact height")
        << tableOf(2, row.arg(QStringLiteral("exact"), cell({}, plain), cell({}, plain))) + kSection
        << Entries() << ab
        << tableOf(2, row.arg(QStringLiteral("atLeast"), cell({}, picPara("A", cellWidth)),
                              cell({}, picPara("B", cellWidth)))) +
               kSection
        << "2/0/0" << QStringList();
    QTest::newRow("bookmark in a row of exact height")
        << tableOf(1, row.arg(QStringLiteral("exact"), cell({}, bookmarked(QStringLiteral("图"))),
                              QString())) +
               kSection
        << Entries() << QStringList{"A"}
        << tableOf(1, row.arg(QStringLiteral("atLeast"),
                              cell({}, bookmarked(QStringLiteral("图")) + picPara("A", cellWidth)),
                              QString())) +
               kSection
        << "0/1/0" << QStringList();
    // A minimum line is at most an inch high, and not below nothing.
    const QString wild = QStringLiteral("<w:pPr><w:pStyle w:val=\"Wild\"/>%1</w:pPr>");
    QTest::newRow("exact line heights beyond any page")
        << para(QStringLiteral("{{驻波图}}"), wild.arg(QString())) + kSection
        << formatting(style(QStringLiteral("Normal"), {}, spacing(-5, QStringLiteral("exact"))) +
                      style(QStringLiteral("Wild"), {},
                            QStringLiteral("<w:spacing w:line=\"1e308\" w:lineRule=\"exact\"/>")))
        << ab
        << QStringLiteral("<w:p>%1%2</w:p><w:p>%3%4</w:p>")
                   .arg(wild.arg(spacing(1440, QStringLiteral("atLeast"))), pic("A"),
                        QStringLiteral("<w:pPr>%1</w:pPr>")
                            .arg(spacing(0, QStringLiteral("atLeast"))),
                        pic("B")) +
               end
        << "1/0/1" << QStringList();
}

void TestPlacement::showsPicturesWhole() {
    checkTemplate();
}

void TestPlacement::fitsTheParagraphsWidth_data() {
    templateColumns();
    const QString plain = para(QStringLiteral("{{驻波图}}"));
    // Text 8306 twips wide: a plot fits whole (9015 twips) nowhere.
    const QString section =
        QStringLiteral("<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
                       "<w:pgMar w:left=\"1800\" w:right=\"1800\"/>%1</w:sectPr>");
    const QString end = QStringLiteral("<w:p/>") + section.arg(QString());
    const auto cx = [](double twips) { return qint64(std::llround(twips * 635)); };
    const QString numbering = QStringLiteral(
        "<w:abstractNum w:abstractNumId=\"4\"><w:lvl w:ilvl=\"0\"><w:pPr><w:ind w:left=\"720\" "
        "w:hanging=\"360\"/></w:pPr></w:lvl><w:lvl w:ilvl=\"1\"><w:pPr><w:ind w:left=\"1440\" "
        "w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"4\"/></w:num>");
    const QString listStyle = style(QStringLiteral("Normal"), {}, {}) +
                              style(QStringLiteral("ListNumber"), QStringLiteral("Normal"),
                                    QStringLiteral("<w:numPr><w:numId w:val=\"1\"/></w:numPr>"));
    const QString listItem =
        para(QStringLiteral("{{驻波图}}"),
             QStringLiteral("<w:pPr><w:pStyle w:val=\"ListNumber\"/></w:pPr>"));
    QTest::newRow("list item indented by its style's numbering")
        << listItem + section.arg(QString()) << formatting(listStyle, numbering) << QStringList{"A"}
        << QString(listItem).replace(QStringLiteral("<w:r><w:t xml:space=\"preserve\">{{驻波图}}"
                                                    "</w:t></w:r>"),
                                     pic("A", cx(8306 - 720))) +
               section.arg(QString())
        << "1/0/0" << QStringList();
    const QString secondLevel =
        para(QStringLiteral("{{驻波图}}"),
             QStringLiteral(
                 "<w:pPr><w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"));
    QTest::newRow("list item of the second level")
        << secondLevel + section.arg(QString()) << formatting(listStyle, numbering)
        << QStringList{"A"}
        << QString(secondLevel)
                   .replace(
                       QStringLiteral("<w:r><w:t xml:space=\"preserve\">{{驻波图}}</w:t></w:r>"),
                       pic("A", cx(8306 - 1440))) +
               section.arg(QString())
        << "1/0/0" << QStringList();
    const QString indented =
        para(QStringLiteral("{{驻波图}}"),
             QStringLiteral(
                 "<w:pPr><w:ind w:left=\"1000\" w:right=\"500\" w:firstLine=\"300\"/></w:pPr>"));
    QTest::newRow("own indents, first line further in")
        << indented + section.arg(QString()) << Entries() << QStringList{"A"}
        << QString(indented).replace(
               QStringLiteral("<w:r><w:t xml:space=\"preserve\">{{驻波图}}</w:t></w:r>"),
               pic("A", cx(8306 - 1300 - 500))) +
               section.arg(QString())
        << "1/0/0" << QStringList();
    // Chinese templates indent every paragraph's first line by two characters.
    QTest::newRow("default style's first-line indent, at the end")
        << para(QStringLiteral("报告")) + section.arg(QString())
        << formatting(
               style(QStringLiteral("Normal"), {},
                     QStringLiteral("<w:ind w:firstLineChars=\"200\" w:firstLine=\"420\"/>")))
        << QStringList{"A", "B"}
        << para(QStringLiteral("报告")) + picPara("A", cx(8306 - 420)) +
               picPara("B", cx(8306 - 420)) + end
        << "0/0/2" << QStringList();
    QTest::newRow("three equal columns")
        << plain + section.arg(QStringLiteral("<w:cols w:num=\"3\" w:space=\"425\"/>")) << Entries()
        << QStringList{"A"}
        << picPara("A", cx((8306 - 2 * 425) / 3.0)) +
               section.arg(QStringLiteral("<w:cols w:num=\"3\" w:space=\"425\"/>"))
        << "1/0/0" << QStringList();
    const QString unequal = QStringLiteral(
        "<w:cols w:num=\"2\" w:equalWidth=\"0\"><w:col w:w=\"5000\" w:space=\"306\"/>"
        "<w:col w:w=\"3000\"/></w:cols>");
    QTest::newRow("columns of their own widths")
        << plain + section.arg(unequal) << Entries() << QStringList{"A"}
        << picPara("A", cx(3000)) + section.arg(unequal) << "1/0/0" << QStringList();
    const QString inCell = para(QStringLiteral("{{驻波图}}"),
                                QStringLiteral("<w:pPr><w:ind w:left=\"500\"/></w:pPr>"));
    QTest::newRow("indented in a table cell")
        << tableOf(1, QStringLiteral("<w:tr>%1</w:tr>").arg(cell({}, inCell))) +
               section.arg(QString())
        << Entries() << QStringList{"A"}
        << tableOf(1, QStringLiteral("<w:tr>%1</w:tr>")
                          .arg(cell({}, QString(inCell).replace(
                                            QStringLiteral("<w:r><w:t xml:space=\"preserve\">"
                                                           "{{驻波图}}</w:t></w:r>"),
                                            pic("A", cx(4000 - 216 - 500)))))) +
               section.arg(QString())
        << "1/0/0" << QStringList();
}

void TestPlacement::fitsTheParagraphsWidth() {
    checkTemplate();
}

void TestPlacement::placesPicturesWhereShown() {
    checkTemplate();
}

void TestPlacement::checkTemplate() {
    QFETCH(QString, body);
    QFETCH(Entries, parts);
    QFETCH(QStringList, segments);
    QFETCH(QString, expected);
    QFETCH(QString, places);
    QFETCH(QStringList, notices);
    QString placed;
    QStringList told;
    const QString written =
        fillTemplate(minimalPackage(mainPart(body)) + parts, segments, &placed, &told);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(written, expected);
    QCOMPARE(placed, places);
    compareNotices(told, notices);
}

// However many placeholders cannot be used, each kind is said once, with how
// many and a few of them shortened; reading them costs no more than the rest.
void TestPlacement::noticesStayShort() {
    QString body;
    for (int i = 0; i < 100000; ++i)
        body += para(QStringLiteral("{{驻波图:A}}"));
    for (int i = 0; i < 1000; ++i)
        body += para(QStringLiteral("{{驻波图}} 第%1段").arg(i));
    body += para(QStringLiteral("{{驻波图}} ") + QString(1000000, u'长'));
    QString placed;
    QStringList told;
    fillTemplate(minimalPackage(mainPart(body + kSection)), {QStringLiteral("A")}, &placed, &told);
    QCOMPARE(placed, QStringLiteral("1/0/0"));
    QCOMPARE(told.size(), 2);
    QVERIFY2(told[0].contains(QStringLiteral("1001 个段落")) && told[0].contains(u"等"),
             qPrintable(told[0]));
    QVERIFY2(told[1].contains(QStringLiteral("1 个测试段的占位符不止一个（“A”）")),
             qPrintable(told[1]));
    for (const QString& notice : told)
        QVERIFY2(notice.size() < 300, qPrintable(notice));
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
