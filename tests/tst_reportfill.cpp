// A report template filled by a batch: table rows and sections repeated per
// plotted row, verdicts, the summary, the limit a document sets, markers that
// cannot be paired, and a segment's earlier plot replaced in place. The
// packages are read back through support/DocxInspect and QXmlStreamReader,
// never through the document layer.
#include "cli/CliCommands.h"
#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QXmlStreamReader>

namespace {

using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::kDocumentPart;
using docxinspect::kW;
using namespace docxbuild;

const QString kDate = QStringLiteral("2026-12-08");

// Three plotted rows; the second fails the usual limit of 1.5.
QList<docx::RowValues> threeRows() {
    const QString segments[] = {QStringLiteral("A-1"), QStringLiteral("A-2"),
                                QStringLiteral("A-3")};
    const QString vswr[] = {QStringLiteral("1.20"), QStringLiteral("1.62"), QStringLiteral("1.35")};
    QList<docx::RowValues> rows;
    for (int i = 0; i < 3; ++i) {
        docx::RowValues row;
        row.number = i + 1;
        row.segment = segments[i];
        row.vswr = vswr[i];
        row.vswrValue = vswr[i].toDouble();
        row.length = QString::number(20 + 5 * i) + QStringLiteral(".4");
        row.loss = QStringLiteral("0.070dB/m");
        row.distance = QStringLiteral("50");
        row.time = QStringLiteral("14:0%1:09").arg(i);
        rows.append(row);
    }
    return rows;
}

// A paragraph of runs, each "text" or "b:text" for a bold one.
QString runs(const QStringList& pieces) {
    QString xml = QStringLiteral("<w:p>");
    for (const QString& piece : pieces) {
        const bool bold = piece.startsWith(u"b:");
        xml += QStringLiteral("<w:r>%1<w:t xml:space=\"preserve\">%2</w:t></w:r>")
                   .arg(bold ? QStringLiteral("<w:rPr><w:b/></w:rPr>") : QString(),
                        bold ? piece.mid(2) : piece);
    }
    return xml + QStringLiteral("</w:p>");
}

// A table of a heading row and the given rows, each cell a paragraph.
QString resultsTable(const QList<QStringList>& rows) {
    QList<QStringList> all;
    for (const QStringList& row : rows) {
        QStringList withCells;
        for (const QString& text : row)
            withCells.append(QStringLiteral("|") + (text.startsWith(u"<") ? text : para(text)));
        all.append(withCells);
    }
    return table(QList<int>(rows.first().size(), 2000), all);
}

// What a reader sees: each paragraph outside tables as its text, each table
// row as its cells' texts joined by "|" (a cell's paragraphs by "/"), and
// "pic:segment" for each picture of this program.
QStringList reading(const QString& body) {
    QXmlStreamReader reader(QStringLiteral("<r xmlns:w=\"%1\">%2</r>").arg(kW, body));
    QStringList seen, rowCells, cellTexts;
    QString text;
    int tables = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.name();
        if (reader.isStartElement() && name == u"tbl")
            ++tables;
        else if (reader.isEndElement() && name == u"tbl")
            --tables;
        else if (reader.isStartElement() && name == u"PIC")
            text += QStringLiteral("pic:") +
                    reader.attributes().value(QStringLiteral("seg")).toString();
        else if (reader.isStartElement() && name == u"t")
            text += reader.readElementText();
        else if (reader.isEndElement() && name == u"p" && tables == 0 && !text.isEmpty())
            seen.append(std::exchange(text, QString()));
        else if (reader.isEndElement() && name == u"p" && tables > 0)
            cellTexts.append(std::exchange(text, QString()));
        else if (reader.isEndElement() && name == u"tc")
            rowCells.append(std::exchange(cellTexts, {}).join(u'/'));
        else if (reader.isEndElement() && name == u"tr")
            seen.append(std::exchange(rowCells, {}).join(u'|'));
    }
    return seen;
}

// The texts of the red runs, "(b)" after those that are bold as well.
QStringList redTexts(const QByteArray& document) {
    QXmlStreamReader reader(document);
    QStringList red;
    bool isRed = false, bold = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"r")
            isRed = bold = false;
        else if (reader.isStartElement() && reader.name() == u"color")
            isRed = reader.attributes().value(kW, QStringLiteral("val")) == u"FF0000";
        else if (reader.isStartElement() && reader.name() == u"b")
            bold = true;
        else if (reader.isStartElement() && reader.name() == u"t" && isRed)
            red.append(reader.readElementText() + (bold ? QStringLiteral("(b)") : QString()));
    }
    return red;
}

struct Filled {
    QString error;
    QByteArray document;
    QString counts; // "table rows/sections/summary values"
    QStringList notices;
};

// One batch of the rows into a document of that body: written in one save,
// or in one save per row as a batch's flushes may fall.
Filled fillBatch(const QString& path, const QList<docx::RowValues>& rows, bool savePerRow,
                 double limit = docx::kDefaultLimit, bool replace = false, int firstPlot = 0) {
    ReportDocument report(path);
    if (const Outcome opened = report.open(); !opened.isOk())
        return {opened.message(), {}, {}, {}};
    report.setLimit(limit);
    report.setReplaceExisting(replace);
    report.beginRun();
    for (int i = 0; i < rows.size(); ++i) {
        report.paste(plot(firstPlot + i), rows.at(i));
        report.typeParagraphBreak();
        if (savePerRow && !report.flush().isOk())
            return {QStringLiteral("a save failed"), {}, {}, {}};
    }
    report.finishRun(kDate);
    if (const Outcome written = report.flush(); !written.isOk())
        return {written.message(), {}, {}, {}};
    const docx::FillCounts& fill = report.placement().fill;
    const Inspection after = inspect(path);
    verifyPackage(after);
    return {{},
            entry(after.entries, kDocumentPart),
            QStringLiteral("%1/%2/%3/%4")
                .arg(fill.tableRows)
                .arg(fill.sections)
                .arg(fill.summaryValues)
                .arg(fill.replaced),
            report.placement().notices.lines()};
}

// A picture of another program named and described as this program's
// pictures are, but without this program's mark, showing word/media/logo.png.
QString foreignPicture() {
    return QStringLiteral(
        "<w:p><w:r><w:rPr/><w:drawing><wp:inline xmlns:wp=\"http://schemas.openxmlformats.org/"
        "drawingml/2006/wordprocessingDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/"
        "drawingml/2006/main\" xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "picture\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships\"><wp:extent cx=\"952500\" cy=\"476250\"/>"
        "<wp:docPr id=\"7\" name=\"Veltrace a-1\" descr=\"驻波图：A-1\"/><a:graphic>"
        "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
        "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"7\" name=\"logo.png\"/><pic:cNvPicPr/>"
        "</pic:nvPicPr><pic:blipFill><a:blip r:embed=\"rIdLogo\"/></pic:blipFill>"
        "<pic:spPr/></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>");
}

// The logo's relationship and part, beside a main part.
Entries withLogo(Entries entries) {
    QImage logo(20, 10, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    entries.append(
        {QStringLiteral("word/_rels/document.xml.rels"),
         (kDeclaration + QStringLiteral("<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                                        "package/2006/relationships\"><Relationship Id=\"rIdLogo\" "
                                        "Type=\"%1/image\" Target=\"media/logo.png\"/>"
                                        "</Relationships>")
                             .arg(docxinspect::kR))
             .toUtf8()});
    entries.append({QStringLiteral("word/media/logo.png"), png});
    return entries;
}

// A document in the temporary folder made of that body.
QString templateFile(const QTemporaryDir& dir, const QString& name, const QString& body) {
    const QString path = dir.filePath(name);
    const Entries package = minimalPackage(wordDocument(body + kSection));
    writeZip(path, body.contains(u"rIdLogo") ? withLogo(package) : package);
    return path;
}

} // namespace

class TestReportFill : public QObject {
    Q_OBJECT
private slots:
    void templateIsFilled_data();
    void templateIsFilled();
    void documentLimitWins();
    void runWhoseLastWriteFailedGoesOn();
    void replaceExisting_data();
    void replaceExisting();
    void commandLineFillsAWholeReport();
};

void TestReportFill::templateIsFilled_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("expected"); // as reading() shows it
    QTest::addColumn<QString>("counts");       // table rows/sections/summary values/replaced
    QTest::addColumn<QStringList>("notices");  // a word of each notice, in order
    QTest::addColumn<QStringList>("red");

    const QString head = QStringLiteral("序号|测试段|驻波比|馈线长|结论");
    const QString rowTable = resultsTable(
        {head.split(u'|'),
         {QStringLiteral("{{序号}}"), QStringLiteral("{{测试段}}"), QStringLiteral("{{驻波比}}"),
          QStringLiteral("{{馈线长}}"), runs({QStringLiteral("b:{{结论}}")})}});
    const QStringList filledRows{head, QStringLiteral("1|A-1|1.20|20.4|合格"),
                                 QStringLiteral("2|A-2|1.62|25.4|不合格"),
                                 QStringLiteral("3|A-3|1.35|30.4|合格")};
    const QStringList plots{QStringLiteral("pic:A-1"), QStringLiteral("pic:A-2"),
                            QStringLiteral("pic:A-3")};
    const QString section = para(QStringLiteral("{{#每段}}")) +
                            para(QStringLiteral("测试段 {{测试段}}：{{结论}}")) +
                            para(QStringLiteral("{{驻波图}}")) + para(QStringLiteral("{{/每段}}"));
    const QStringList sections{QStringLiteral("测试段 A-1：合格"),   QStringLiteral("pic:A-1"),
                               QStringLiteral("测试段 A-2：不合格"), QStringLiteral("pic:A-2"),
                               QStringLiteral("测试段 A-3：合格"),   QStringLiteral("pic:A-3")};
    const QString summary =
        para(QStringLiteral("共{{段数}}段，合格{{合格数}}，不合格{{不合格数}}，最大{{最大驻波比}}"
                            "（{{最大驻波比测试段}}），上限{{驻波比上限}}，{{报告日期}}"));
    const QString summaryText =
        QStringLiteral("共3段，合格2，不合格1，最大1.62（A-2），上限1.5，2026-12-08");

    QTest::newRow("row in a table")
        << para(QStringLiteral("报告")) + rowTable
        << QStringList{QStringLiteral("报告")} + filledRows + plots << "3/0/0/0" << QStringList{}
        << QStringList{QStringLiteral("不合格(b)")};
    QTest::newRow("section") << section << sections << "0/3/0/0" << QStringList{}
                             << QStringList{QStringLiteral("不合格")};
    QTest::newRow("both, with the summary")
        << summary + rowTable + section << QStringList{summaryText} + filledRows + sections
        << "3/3/7/0" << QStringList{}
        << QStringList{QStringLiteral("不合格(b)"), QStringLiteral("不合格")};
    QTest::newRow("split runs, full width and blanks")
        << resultsTable({{runs({QStringLiteral("{"), QStringLiteral("b:{测试"),
                                QStringLiteral("段}"), QStringLiteral("}")}),
                          QStringLiteral("｛｛ 驻波比 ｝｝")}}) +
               para(QStringLiteral(" {{ #每段 }}")) +
               runs({QStringLiteral("段 {{测"), QStringLiteral("b:试段}} "),
                     QStringLiteral("b:{{结"), QStringLiteral("论}}")}) +
               para(QStringLiteral("｛｛／每段｝｝"))
        << QStringList{QStringLiteral("A-1|1.20"),      QStringLiteral("A-2|1.62"),
                       QStringLiteral("A-3|1.35"),      QStringLiteral("段 A-1 合格"),
                       QStringLiteral("段 A-2 不合格"), QStringLiteral("段 A-3 合格")} +
               plots
        << "3/3/0/0" << QStringList{} << QStringList{QStringLiteral("不合格(b)")};
    QTest::newRow("summary only") << summary << QStringList{summaryText} + plots << "0/0/7/0"
                                  << QStringList{} << QStringList{};
    QTest::newRow("nested markers")
        << para(QStringLiteral("{{#每段}}")) + para(QStringLiteral("{{#每段}}")) +
               para(QStringLiteral("{{测试段}}")) + para(QStringLiteral("{{/每段}}")) +
               para(QStringLiteral("{{/每段}}"))
        << QStringList{QStringLiteral("{{#每段}}"), QStringLiteral("{{#每段}}"),
                       QStringLiteral("{{测试段}}"), QStringLiteral("{{/每段}}"),
                       QStringLiteral("{{/每段}}")} +
               plots
        << "0/0/0/0" << QStringList{QStringLiteral("嵌套")} << QStringList{};
    QTest::newRow("unmatched markers")
        << para(QStringLiteral("{{/每段}}")) + para(QStringLiteral("{{#每段}}")) +
               para(QStringLiteral("{{测试段}}"))
        << QStringList{QStringLiteral("{{/每段}}"), QStringLiteral("{{#每段}}"),
                       QStringLiteral("{{测试段}}")} +
               plots
        << "0/0/0/0" << QStringList{QStringLiteral("不能配对")} << QStringList{};
    QTest::newRow("markers in different places")
        << para(QStringLiteral("{{#每段}}")) + para(QStringLiteral("{{测试段}}")) +
               resultsTable({{para(QStringLiteral("备注")) + para(QStringLiteral("{{/每段}}"))}})
        << QStringList{QStringLiteral("{{#每段}}"), QStringLiteral("{{测试段}}"),
                       QStringLiteral("备注/{{/每段}}")} +
               plots
        << "0/0/0/0" << QStringList{QStringLiteral("不在同一处")} << QStringList{};
    QTest::newRow("a logo in the section")
        << para(QStringLiteral("{{#每段}}")) + foreignPicture() +
               para(QStringLiteral("{{测试段}}")) + para(QStringLiteral("{{/每段}}"))
        << QStringList{QStringLiteral("A-1"), QStringLiteral("A-2"), QStringLiteral("A-3")} + plots
        << "0/3/0/0" << QStringList{} << QStringList{};
    QTest::newRow("a repeat inside a table cell")
        << resultsTable(
               {{QStringLiteral("测试段"), para(QStringLiteral("{{#每段}}")) +
                                               para(QStringLiteral("{{测试段}} {{插损}}")) +
                                               para(QStringLiteral("{{/每段}}"))}})
        << QStringList{QStringLiteral("测试段|A-1 0.070dB/m/A-2 0.070dB/m/A-3 0.070dB/m")} + plots
        << "0/3/0/0" << QStringList{} << QStringList{};
}

// The same document whether the batch is saved once or once per row; the
// text before the template stays byte for byte.
void TestReportFill::templateIsFilled() {
    QFETCH(QString, body);
    QFETCH(QStringList, expected);
    QFETCH(QString, counts);
    QFETCH(QStringList, notices);
    QFETCH(QStringList, red);
    const QString lead =
        QStringLiteral("<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r>"
                       "<w:t xml:space=\"preserve\"> 前言 &amp; </w:t></w:r></w:p>");
    QTemporaryDir dir;
    QByteArray documents[2];
    for (const bool perRow : {false, true}) {
        const QString path = templateFile(
            dir, perRow ? QStringLiteral("b.docx") : QStringLiteral("a.docx"), lead + body);
        const Filled filled = fillBatch(path, threeRows(), perRow);
        QVERIFY2(filled.error.isEmpty(), qPrintable(filled.error));
        documents[perRow] = filled.document;
        if (perRow)
            continue;
        const QString shown = templateBody(filled.document);
        QVERIFY2(shown.startsWith(lead), qPrintable(shown.left(300)));
        QCOMPARE(reading(shown), QStringList{QStringLiteral(" 前言 & ")} + expected);
        QCOMPARE(filled.counts, counts);
        QCOMPARE(filled.notices.size(), notices.size());
        for (int i = 0; i < notices.size(); ++i)
            QVERIFY2(filled.notices.at(i).contains(notices.at(i)),
                     qPrintable(filled.notices.at(i)));
        QCOMPARE(redTexts(filled.document), red);
    }
    // Drawing ids are numbered in the order the saves take them; each is
    // unique (verifyPackage), whatever its number.
    static const QRegularExpression ids(QStringLiteral("(docPr|cNvPr) id=\"\\d+\""));
    QCOMPARE(QString::fromUtf8(documents[1]).replace(ids, QStringLiteral("\\1")),
             QString::fromUtf8(documents[0]).replace(ids, QStringLiteral("\\1")));
}

// {{驻波比上限=1.7}} judges A-2 (1.62) as passed and becomes the number; the
// user's other limit is said.
void TestReportFill::documentLimitWins() {
    QTemporaryDir dir;
    const QString path = templateFile(
        dir, QStringLiteral("limit.docx"),
        para(QStringLiteral("上限 {{驻波比上限=1.7}}，不合格{{不合格数}}")) +
            resultsTable({{QStringLiteral("{{测试段}}"), QStringLiteral("{{结论}}")}}));
    const Filled filled = fillBatch(path, threeRows(), false, 1.3);
    QVERIFY2(filled.error.isEmpty(), qPrintable(filled.error));
    QCOMPARE(reading(templateBody(filled.document)).mid(0, 4),
             (QStringList{QStringLiteral("上限 1.7，不合格0"), QStringLiteral("A-1|合格"),
                          QStringLiteral("A-2|合格"), QStringLiteral("A-3|合格")}));
    QCOMPARE(filled.counts, QStringLiteral("3/0/2/0"));
    QCOMPARE(filled.notices.size(), 1);
    QVERIFY2(filled.notices.first().contains(QStringLiteral("1.7")) &&
                 filled.notices.first().contains(QStringLiteral("1.3")),
             qPrintable(filled.notices.first()));
}

// The last write of a run fails (the document is open in another program);
// the next run's last write fills the summary with the rows of both.
void TestReportFill::runWhoseLastWriteFailedGoesOn() {
    QTemporaryDir dir;
    const QString path = templateFile(dir, QStringLiteral("retry.docx"),
                                      para(QStringLiteral("共{{段数}}段")) +
                                          resultsTable({{QStringLiteral("{{测试段}}")}}));
    const QList<docx::RowValues> rows = threeRows();
    ReportDocument report(path);
    QVERIFY(report.open().isOk());
    report.beginRun();
    for (int i = 0; i < 2; ++i) {
        report.paste(plot(i), rows.at(i));
        report.typeParagraphBreak();
    }
    report.finishRun(kDate);
    QFile lock(dir.filePath(QStringLiteral(".~lock.retry.docx#")));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write("someone,host,host,01.01.2026 08:00,file:///home/someone;");
    lock.close();
    QVERIFY(!report.flush().isOk());
    QVERIFY(lock.remove());
    report.beginRun();
    report.paste(plot(2), rows.at(2));
    report.typeParagraphBreak();
    report.finishRun(kDate);
    QVERIFY(report.flush().isOk());
    const QStringList read = reading(templateBody(entry(inspect(path).entries, kDocumentPart)));
    QCOMPARE(read,
             (QStringList{QStringLiteral("共3段"), QStringLiteral("A-1"), QStringLiteral("A-2"),
                          QStringLiteral("A-3"), QStringLiteral("pic:A-1"),
                          QStringLiteral("pic:A-2"), QStringLiteral("pic:A-3")}));
}

void TestReportFill::replaceExisting_data() {
    QTest::addColumn<QString>("before");       // what the document holds first
    QTest::addColumn<QStringList>("first");    // segments of the first batch
    QTest::addColumn<QStringList>("second");   // segments of the second, with --replace
    QTest::addColumn<QStringList>("expected"); // the pictures' segments afterwards
    QTest::addColumn<QList<int>>("plots");     // which plot each picture shows
    QTest::addColumn<int>("replaced");
    QTest::addColumn<int>("media");   // media parts afterwards
    QTest::addColumn<bool>("copied"); // the first picture copied and pasted after the first batch

    const QString a1 = QStringLiteral("A-1"), a2 = QStringLiteral("A-2");
    QTest::newRow("same segment twice")
        << QString() << QStringList{a1, a2} << QStringList{a1} << QStringList{a1, a2}
        << QList<int>{2, 1} << 1 << 2 << false;
    QTest::newRow("different segments")
        << QString() << QStringList{a1} << QStringList{a2} << QStringList{a1, a2}
        << QList<int>{0, 1} << 0 << 2 << false;
    // The copy shows the same PNG: the replaced picture gets a part of its
    // own, the copy keeps the old one.
    QTest::newRow("a picture whose PNG a copy shows too")
        << QString() << QStringList{a1} << QStringList{a1} << QStringList{a1, a1}
        << QList<int>{1, 0} << 1 << 2 << true;
    QTest::newRow("a picture not written by Veltrace")
        << foreignPicture() << QStringList{} << QStringList{a1}
        << QStringList{QStringLiteral("logo"), a1} << QList<int>{-1, 0} << 0 << 2 << false;
}

// A second batch with --replace: a segment's plot of this program takes the
// new picture in its paragraph, at its size; its old PNG is gone.
void TestReportFill::replaceExisting() {
    QFETCH(QString, before);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QStringList, expected);
    QFETCH(QList<int>, plots);
    QFETCH(int, replaced);
    QFETCH(int, media);
    QFETCH(bool, copied);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.docx"));
    const Entries package =
        minimalPackage(wordDocument(before + para(QStringLiteral("报告")) + kSection));
    writeZip(path, before.isEmpty() ? package : withLogo(package));
    const auto rowsOf = [](const QStringList& segments) {
        QList<docx::RowValues> rows;
        for (const QString& segment : segments) {
            docx::RowValues row;
            row.number = int(rows.size()) + 1;
            row.segment = segment;
            row.vswr = QStringLiteral("1.2");
            row.vswrValue = 1.2;
            rows.append(row);
        }
        return rows;
    };
    if (!first.isEmpty())
        QVERIFY(fillBatch(path, rowsOf(first), false).error.isEmpty());
    if (copied) {
        // As a word processor pastes it: the same picture with other ids.
        Entries entries = inspect(path).entries;
        for (auto& [name, data] : entries) {
            if (name != kDocumentPart)
                continue;
            const qsizetype end = data.indexOf("</w:p>", data.indexOf("<w:drawing>")) + 6;
            const qsizetype start = data.lastIndexOf("<w:p>", end);
            data.insert(end, data.mid(start, end - start).replace(" id=\"", " id=\"9"));
        }
        writeZip(path, entries);
    }
    const Inspection earlier = inspect(path);
    const Filled filled = fillBatch(path, rowsOf(second), false, 1.5, true, int(first.size()));
    QVERIFY2(filled.error.isEmpty(), qPrintable(filled.error));
    QCOMPARE(filled.counts.section(u'/', 3).toInt(), replaced);

    const Inspection after = inspect(path);
    QCOMPARE(after.pictures.size(), expected.size());
    int mediaParts = 0;
    for (const auto& [name, data] : after.entries)
        mediaParts += name.startsWith(u"word/media/");
    QCOMPARE(mediaParts, media);
    for (int i = 0; i < expected.size(); ++i) {
        const Inspection::Picture& picture = after.pictures.at(i);
        if (plots.at(i) < 0) {
            QCOMPARE(picture.description, QStringLiteral("驻波图：A-1"));
            continue;
        }
        QVERIFY2(picture.description.contains(expected.at(i)), qPrintable(picture.description));
        const QImage image = pictureOf(after, picture);
        QCOMPARE(image.pixel(5, 5), plotColor(plots.at(i)).rgb());
        // A replaced picture keeps its place and size.
        if (i < earlier.pictures.size())
            QCOMPARE(picture.cx, earlier.pictures.at(i).cx);
    }
}

// veltrace-cli fills a results table, a section per row and the summary from
// a workbook, and says so.
void TestReportFill::commandLineFillsAWholeReport() {
    QTemporaryDir dir;
    const QString path = templateFile(
        dir, QStringLiteral("cli.docx"),
        para(QStringLiteral("共{{段数}}段，不合格{{不合格数}}段，最大{{最大驻波比}}")) +
            resultsTable(
                {{QStringLiteral("测试段"), QStringLiteral("驻波比"), QStringLiteral("结论")},
                 {QStringLiteral("{{测试段}}"), QStringLiteral("{{驻波比}}"),
                  QStringLiteral("{{结论}}")}}) +
            para(QStringLiteral("{{#每段}}")) + para(QStringLiteral("{{序号}}. {{测试段}}")) +
            para(QStringLiteral("{{驻波图}}")) + para(QStringLiteral("{{/每段}}")));
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status =
        cli::run({QStringLiteral("veltrace-cli"), QStringLiteral("batch"),
                  workbookData(QStringLiteral("basic.xlsx")), QStringLiteral("--into"), path,
                  QStringLiteral("--limit"), QStringLiteral("1.2")},
                 {outStream, errStream, false, nullptr});
    // The row without a VSWR (3扇区) is refused and fails the run.
    QCOMPARE(status, 1);
    QVERIFY2(out.contains(QStringLiteral("Filled 3 table rows, 3 sections, 3 summary values")),
             qPrintable(out));
    const Inspection after = inspect(path);
    QCOMPARE(reading(templateBody(entry(after.entries, kDocumentPart))),
             (QStringList{QStringLiteral("共3段，不合格2段，最大1.3"),
                          QStringLiteral("测试段|驻波比|结论"), QStringLiteral("1扇区|1.18|合格"),
                          QStringLiteral("2扇区|1.25|不合格"), QStringLiteral("4扇区|1.3|不合格"),
                          QStringLiteral("1. 1扇区"), QStringLiteral("pic:1扇区"),
                          QStringLiteral("2. 2扇区"), QStringLiteral("pic:2扇区"),
                          QStringLiteral("3. 4扇区"), QStringLiteral("pic:4扇区")}));
}

QTEST_MAIN(TestReportFill)
#include "tst_reportfill.moc"
