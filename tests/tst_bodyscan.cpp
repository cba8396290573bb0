#include "document/DocxBody.h"
#include "support/DocxBuild.h"

#include <QRegularExpression>
#include <QTest>

// The one pass over a main part and what its trackers make of a few lines of
// XML: the tables around a placeholder (the width its cell leaves, rows of
// exact height, places readers do not show), the bookmark "veltrace", and
// which paragraphs are placeholders.
namespace {

using docx::Notices;
using namespace docxbuild;

using Kind = Notices::Kind;

// The scan of a main part of that body; fails the test when it is refused.
docx::DocumentScan scan(const QString& body) {
    Result<docx::DocumentScan> result = docx::scanDocument(QString::fromUtf8(wordDocument(body)));
    if (!result)
        qWarning("refused: %s", qPrintable(result.cause()));
    return result ? std::move(result).value() : docx::DocumentScan{};
}

// A table of one column of that width around the rows given.
QString tableOf(const QString& properties, int width, const QString& rows) {
    return QStringLiteral("<w:tbl><w:tblPr>%1</w:tblPr><w:tblGrid><w:gridCol w:w=\"%2\"/>"
                          "</w:tblGrid>%3</w:tbl>")
        .arg(properties)
        .arg(width)
        .arg(rows);
}

// A row of one cell with those properties around that content.
QString rowOf(const QString& rowProperties, const QString& cellProperties, const QString& content) {
    return QStringLiteral("<w:tr><w:trPr>%1</w:trPr><w:tc><w:tcPr>%2</w:tcPr>%3</w:tc></w:tr>")
        .arg(rowProperties, cellProperties, content);
}

const QString kPlain = QStringLiteral("<w:p><w:r><w:t>{{驻波图}}</w:t></w:r></w:p>");

} // namespace

class TestBodyScan : public QObject {
    Q_OBJECT
private slots:
    void tablesAroundAPlaceholder_data();
    void tablesAroundAPlaceholder();
    void bookmarkMarksOneParagraph_data();
    void bookmarkMarksOneParagraph();
    void findsPlaceholders_data();
    void findsPlaceholders();
};

void TestBodyScan::tablesAroundAPlaceholder_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<double>("cellWidth"); // twips; 0: the placeholder is not used
    QTest::addColumn<int>("exactRows");
    const QString exact = QStringLiteral("<w:trHeight w:val=\"400\" w:hRule=\"exact\"/>");
    QTest::newRow("outside a table") << kPlain << -1.0 << 0;
    // Word's margins are 108 twips on either side when nothing sets them.
    QTest::newRow("the grid column less Word's margins")
        << table({3000}, {{"|" + kPlain}}) << 3000.0 - 216 << 0;
    QTest::newRow("the cell's own width")
        << table({3000, 6000}, {{"|" + para("x"), "4000|" + kPlain}}) << 4000.0 - 216 << 0;
    QTest::newRow("the second grid column")
        << table({3000, 6000}, {{"|" + para("x"), "|" + kPlain}}) << 6000.0 - 216 << 0;
    QTest::newRow("two grid columns spanned")
        << table({3000, 6000}, {{"span2|" + kPlain}}) << 9000.0 - 216 << 0;
    QTest::newRow("the table's margins")
        << tableOf("<w:tblCellMar><w:left w:w=\"300\" w:type=\"dxa\"/><w:end w:w=\"200\"/>"
                   "</w:tblCellMar>",
                   5000, rowOf({}, {}, kPlain))
        << 4500.0 << 0;
    QTest::newRow("the cell's margins over the table's")
        << tableOf("<w:tblCellMar><w:left w:w=\"300\"/></w:tblCellMar>", 5000,
                   rowOf({}, "<w:tcMar><w:start w:w=\"0\"/><w:right w:w=\"0\"/></w:tcMar>", kPlain))
        << 5000.0 << 0;
    QTest::newRow("the inner table of two")
        << tableOf({}, 8000, rowOf({}, {}, tableOf({}, 2000, rowOf({}, {}, kPlain)) + para("x")))
        << 2000.0 - 216 << 0;
    QTest::newRow("a row of exact height")
        << tableOf({}, 5000, rowOf(exact, {}, kPlain)) << 5000.0 - 216 << 1;
    QTest::newRow("exact rows of both tables")
        << tableOf({}, 8000,
                   rowOf(exact, {}, tableOf({}, 2000, rowOf(exact, {}, kPlain)) + para("x")))
        << 2000.0 - 216 << 2;
    QTest::newRow("a continued merged cell")
        << tableOf({}, 5000, rowOf({}, "<w:vMerge/>", kPlain)) << 0.0 << 0;
    QTest::newRow("the first cell of a merge")
        << tableOf({}, 5000, rowOf({}, "<w:vMerge w:val=\"restart\"/>", kPlain)) << 5000.0 - 216
        << 0;
    QTest::newRow("a deleted row")
        << tableOf({}, 5000, rowOf("<w:del w:id=\"1\" w:author=\"a\"/>", {}, kPlain)) << 0.0 << 0;
    QTest::newRow("a hidden row") << tableOf({}, 5000, rowOf("<w:hidden/>", {}, kPlain)) << 0.0
                                  << 0;
    QTest::newRow("a row hidden off")
        << tableOf({}, 5000, rowOf("<w:hidden w:val=\"0\"/>", {}, kPlain)) << 5000.0 - 216 << 0;
}

void TestBodyScan::tablesAroundAPlaceholder() {
    QFETCH(QString, body);
    QFETCH(double, cellWidth);
    QFETCH(int, exactRows);
    const docx::DocumentScan found = scan(body);
    if (cellWidth == 0) {
        QCOMPARE(found.placeholders.size(), 0);
        QCOMPARE(found.notices.kinds(), QList<Kind>{Kind::Hidden});
        return;
    }
    QCOMPARE(found.placeholders.size(), 1);
    const docx::ParagraphPlace& place = found.placeholders.first().place;
    QCOMPARE(place.cellWidth, cellWidth);
    QCOMPARE(place.rows.size(), exactRows);
    // Each edit makes an exact height a minimum, in the row's own start tag.
    const QString text = QString::fromUtf8(wordDocument(body));
    for (const docx::Edit& row : place.rows) {
        QCOMPARE(text.mid(row.start, row.end - row.start),
                 QString(row.text).replace(QStringLiteral("atLeast"), QStringLiteral("exact")));
        QVERIFY2(row.text.startsWith(u"<w:trHeight") && row.text.contains(u"\"atLeast\""),
                 qPrintable(row.text));
    }
}

void TestBodyScan::bookmarkMarksOneParagraph_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("marked"); // what the body holds up to the point; empty: none
    QTest::addColumn<int>("followers");  // placeholders right after the marked paragraph
    QTest::addColumn<QList<Kind>>("notices");
    const QString one = bookmarked(QStringLiteral("一"));
    QTest::newRow("one paragraph") << one + para("结论") << one << 0 << QList<Kind>();
    QTest::newRow("any case of its name")
        << QString(one).replace(QStringLiteral("veltrace"), QStringLiteral("VelTrace")) +
               para("结论")
        << QString(one).replace(QStringLiteral("veltrace"), QStringLiteral("VelTrace")) << 0
        << QList<Kind>();
    QTest::newRow("another name") << QString(one).replace(QStringLiteral("veltrace"),
                                                          QStringLiteral("other"))
                                  << QString() << 0 << QList<Kind>();
    QTest::newRow("placeholders right after it")
        << one + kPlain + kPlain + para("结论") << one << 2 << QList<Kind>();
    QTest::newRow("a placeholder after other text")
        << one + para("说明") + kPlain << one << 0 << QList<Kind>();
    // Word ends a bookmark of a whole paragraph at the start of the next one.
    const QString whole = QStringLiteral(
        "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"veltrace\"/><w:r><w:t>图</w:t></w:r></w:p>");
    QTest::newRow("ended at the start of the next paragraph")
        << whole +
               QStringLiteral("<w:p><w:bookmarkEnd w:id=\"1\"/><w:r><w:t>结论</w:t></w:r></w:p>")
        << whole << 0 << QList<Kind>();
    QTest::newRow("spanning two paragraphs")
        << QStringLiteral("<w:p><w:bookmarkStart w:id=\"0\" w:name=\"veltrace\"/><w:r><w:t>一</w:t>"
                          "</w:r></w:p><w:p><w:r><w:t>二</w:t></w:r><w:bookmarkEnd w:id=\"0\"/>"
                          "</w:p>")
        << QString() << 0 << QList<Kind>{Kind::BookmarkUnusable};
    QTest::newRow("around a table")
        << QStringLiteral("<w:bookmarkStart w:id=\"0\" w:name=\"veltrace\"/>") +
               table({4000}, {{"|" + para("格")}}) + QStringLiteral("<w:bookmarkEnd w:id=\"0\"/>")
        << QString() << 0 << QList<Kind>{Kind::BookmarkUnusable};
    QTest::newRow("two of that name") << one + bookmarked(QStringLiteral("二"), QStringLiteral("1"))
                                      << one << 0 << QList<Kind>{Kind::SecondBookmark};
}

void TestBodyScan::bookmarkMarksOneParagraph() {
    QFETCH(QString, body);
    QFETCH(QString, marked);
    QFETCH(int, followers);
    QFETCH(QList<Kind>, notices);
    const docx::DocumentScan found = scan(body);
    QCOMPARE(found.notices.kinds(), notices);
    QCOMPARE(found.bookmark.has_value(), !marked.isEmpty());
    if (!found.bookmark)
        return;
    const QString text = QString::fromUtf8(wordDocument(body));
    QVERIFY2(text.left(found.bookmark->after).endsWith(marked),
             qPrintable(text.left(found.bookmark->after).right(200)));
    QCOMPARE(found.bookmark->followers.size(), followers);
    for (int i = 0; i < followers; ++i)
        QCOMPARE(found.bookmark->followers.at(i).second, i);
}

void TestBodyScan::findsPlaceholders_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("segments"); // of each placeholder found, in order
    QTest::addColumn<QList<Kind>>("notices");
    const auto paragraph = [](const QString& runs) {
        return QStringLiteral("<w:p>%1</w:p>").arg(runs);
    };
    QTest::newRow("plain") << kPlain << QStringList{""} << QList<Kind>();
    QTest::newRow("named, blanks around") << para(QStringLiteral(" {{ 驻波图 : T1-B1F }} "))
                                          << QStringList{"T1-B1F"} << QList<Kind>();
    QTest::newRow("split across runs and proofing marks")
        << paragraph(QStringLiteral("<w:r><w:rPr><w:b/></w:rPr><w:t>{{驻</w:t></w:r>"
                                    "<w:proofErr w:type=\"spellStart\"/><w:r><w:t>波图:A</w:t>"
                                    "</w:r><w:proofErr w:type=\"spellEnd\"/><w:r><w:t>}}</w:t>"
                                    "</w:r>"))
        << QStringList{"A"} << QList<Kind>();
    QTest::newRow("two, in order")
        << para(QStringLiteral("{{驻波图:B}}")) + kPlain << QStringList{"B", ""} << QList<Kind>();
    QTest::newRow("other text") << para(QStringLiteral("图 1：{{驻波图}}")) << QStringList()
                                << QList<Kind>{Kind::WithOtherText};
    QTest::newRow("a tab beside it")
        << paragraph(QStringLiteral("<w:r><w:tab/><w:t>{{驻波图}}</w:t></w:r>")) << QStringList()
        << QList<Kind>{Kind::WithOtherContent};
    // Both are found; the placement uses the first and says so.
    QTest::newRow("one segment twice")
        << para(QStringLiteral("{{驻波图:A}}")) + para(QStringLiteral("{{驻波图:A}}"))
        << QStringList{"A", "A"} << QList<Kind>();
    QTest::newRow("not a placeholder")
        << para(QStringLiteral("{{驻波}}")) + para("{{}}") << QStringList() << QList<Kind>();
}

void TestBodyScan::findsPlaceholders() {
    QFETCH(QString, body);
    QFETCH(QStringList, segments);
    QFETCH(QList<Kind>, notices);
    const docx::DocumentScan found = scan(body);
    QStringList named;
    for (const docx::Placeholder& placeholder : found.placeholders)
        named.append(placeholder.segment);
    QCOMPARE(named, segments);
    QCOMPARE(found.notices.kinds(), notices);
    // A placeholder's runs are what a picture replaces: they lie inside its
    // paragraph, and together hold its text.
    const QString text = QString::fromUtf8(wordDocument(body));
    for (const docx::Placeholder& placeholder : found.placeholders) {
        QString runs;
        for (const docx::ElementSpan& run : placeholder.content) {
            QVERIFY(run.start > placeholder.paragraph.start && run.end < placeholder.paragraph.end);
            runs += text.mid(run.start, run.end - run.start);
        }
        QVERIFY2(runs.remove(QRegularExpression(QStringLiteral("<[^>]*>"))).trimmed() ==
                     placeholder.text,
                 qPrintable(runs));
    }
}

QTEST_GUILESS_MAIN(TestBodyScan)
#include "tst_bodyscan.moc"
