#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QTemporaryDir>
#include <QTest>

// Where the pictures go in a document without a template: after the last
// content of the body, before its section properties, however the body
// ends and however its XML is written. Read back through support/DocxInspect.
namespace {

using docxinspect::inspect;
using docxinspect::Inspection;
using docxinspect::kW;
using docxinspect::pictureOf;
using namespace docxbuild;

} // namespace

class TestInsertionPoint : public QObject {
    Q_OBJECT
private slots:
    void findsTheInsertionPoint_data();
    void findsTheInsertionPoint();
};

void TestInsertionPoint::findsTheInsertionPoint_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("expected"); // the body's blocks afterwards
    const QString text = QStringLiteral("<w:p><w:r><w:t>文字</w:t></w:r></w:p>");
    const QString sect =
        QStringLiteral("<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>");
    QTest::newRow("ends with text") << wordDocument(text + sect) << "text pic empty sectPr";
    QTest::newRow("ends with an empty paragraph")
        << wordDocument(text + QStringLiteral("<w:p/>") + sect) << "text pic empty sectPr";
    QTest::newRow("empty paragraph declaring namespaces")
        << wordDocument(text +
                        QStringLiteral("<w:p w14:paraId=\"1\" xmlns:w14=\"urn:x\">"
                                       "<w:pPr><w:jc w:val=\"center\"/></w:pPr></w:p>") +
                        sect)
        << "text empty pic empty sectPr";
    QTest::newRow("empty paragraph, styled, bookmark after")
        << wordDocument(text +
                        QStringLiteral("<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>"
                                       "<w:bookmarkStart w:id=\"0\" w:name=\"end\"/></w:p>"
                                       "<w:bookmarkEnd w:id=\"0\"/>") +
                        sect)
        << "text pic empty bookmarkEnd sectPr";
    QTest::newRow("LibreOffice's empty paragraph")
        << wordDocument(text +
                        QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"Normal\"/><w:rPr>"
                                       "</w:rPr></w:pPr><w:r><w:rPr></w:rPr></w:r></w:p>") +
                        sect)
        << "text pic empty sectPr";
    QTest::newRow("ends with a paragraph break run")
        << wordDocument(text + QStringLiteral("<w:p><w:r><w:br/></w:r></w:p>") + sect)
        << "text empty pic empty sectPr";
    QTest::newRow("ends with a table")
        << wordDocument(text + QStringLiteral("<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>") +
                        sect)
        << "text tbl pic empty sectPr";
    QTest::newRow("ends with a section break")
        << wordDocument(text + QStringLiteral("<w:p><w:pPr><w:sectPr/></w:pPr></w:p>") + sect)
        << "text break pic empty sectPr";
    QTest::newRow("tracked section change")
        << wordDocument(text + QStringLiteral("<w:sectPr><w:pgSz w:w=\"11906\"/><w:sectPrChange "
                                              "w:id=\"1\"><w:sectPr/></w:sectPrChange></w:sectPr>"))
        << "text pic empty sectPr";
    QTest::newRow("no section properties") << wordDocument(text) << "text pic empty";
    QTest::newRow("empty body") << QByteArray("<w:document xmlns:w=\"" + kW.toUtf8() +
                                              "\"><w:body/></w:document>")
                                << "pic empty";
    QTest::newRow("pretty printed, comments, CRLF, BOM")
        << "\xEF\xBB\xBF" + wordDocument(QStringLiteral("\r\n  <!-- x -->\r\n  ") + text +
                                         QStringLiteral("\r\n  <w:p>\r\n  </w:p>\r\n  ") + sect +
                                         QStringLiteral("\r\n"))
        << "text pic empty sectPr";
    QTest::newRow("word namespace as default")
        << ("<document xmlns=\"" + kW + "\"><body><p><r><t>文字</t></r></p><sectPr/></body>" +
            "</document>")
               .toUtf8()
        << "text pic empty sectPr";
    QTest::newRow("prefixes a and r taken")
        << ("<w:document xmlns:w=\"" + kW +
            "\" xmlns:a=\"urn:other\" xmlns:r=\"urn:more\"><w:body>" + text + sect +
            "</w:body></w:document>")
               .toUtf8()
        << "text pic empty sectPr";
    // Qt's reader lets a control character pass in a declared prefix, but not
    // in an element's name: the pictures must not be written with it.
    QTest::newRow("drawing namespace under a malformed prefix")
        << ("<w:document xmlns:w=\"" + kW + "\" xmlns:w\x12=\"" + docxinspect::kWp + "\"><w:body>" +
            text + sect + "</w:body></w:document>")
               .toUtf8()
        << "text pic empty sectPr";
}

void TestInsertionPoint::findsTheInsertionPoint() {
    QFETCH(QByteArray, document);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    writeZip(path, minimalPackage(document));
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    report.paste(plot(0), segment(0));
    report.typeParagraphBreak();
    QCOMPARE(report.flush().message(), QString());
    const Inspection after = inspect(path);
    verifyPackage(after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(after.blocks.join(u' '), expected);
    QCOMPARE(after.pictures.size(), 1);
    QCOMPARE(pictureOf(after, after.pictures.first()).pixel(5, 5), plotColor(0).rgb());
}

QTEST_MAIN(TestInsertionPoint)
#include "tst_insertionpoint.moc"
