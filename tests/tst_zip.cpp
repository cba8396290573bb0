#include "support/DocxBuild.h"
#include "zip/ZipContentTypes.h"
#include "zip/ZipPackage.h"
#include "zip/ZipRelationships.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using zippackage::Failure;
using zippackage::Package;

// The package reader shared by the workbook and the document layers: where
// relationship targets lead, the entry checks made as a package opens, and the
// limits applied as its parts are read.
class TestZip : public QObject {
    Q_OBJECT

private slots:
    void resolvesTargets_data();
    void resolvesTargets();
    void readsLists();
    void refusesPackages_data();
    void refusesPackages();
    void limitsParts_data();
    void limitsParts();

private:
    QString zipOf(const docxbuild::Entries& entries);

    QTemporaryDir m_dir;
    int m_made = 0;
};

QString TestZip::zipOf(const docxbuild::Entries& entries) {
    const QString path = m_dir.filePath(QStringLiteral("package%1.zip").arg(++m_made));
    docxbuild::writeZip(path, entries);
    return path;
}

void TestZip::resolvesTargets_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("external");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("relationshipsPart");

    const QString document = QStringLiteral("word/document.xml");
    const QString documentRels = QStringLiteral("word/_rels/document.xml.rels");
    QTest::newRow("beside the source")
        << document << "media/image1.png" << false << "word/media/image1.png" << documentRels;
    QTest::newRow("from the root")
        << document << "/word/styles.xml" << false << "word/styles.xml" << documentRels;
    QTest::newRow("up a folder") << document << "../customXml/item1.xml" << false
                                 << "customXml/item1.xml" << documentRels;
    QTest::newRow("out of the package")
        << document << "../../secret.xml" << false << "" << documentRels;
    QTest::newRow("to the root") << document << ".." << false << "" << documentRels;
    QTest::newRow("percent-encoded")
        << "xl/workbook.xml"
        << "worksheets/sheet%201.xml" << false << "xl/worksheets/sheet 1.xml"
        << "xl/_rels/workbook.xml.rels";
    QTest::newRow("dots in the path")
        << "xl/workbook.xml"
        << "./worksheets/./sheet1.xml" << false << "xl/worksheets/sheet1.xml"
        << "xl/_rels/workbook.xml.rels";
    QTest::newRow("of the package") << ""
                                    << "word/document.xml" << false << "word/document.xml"
                                    << "_rels/.rels";
    QTest::newRow("package root itself") << ""
                                         << "/" << false << ""
                                         << "_rels/.rels";
    QTest::newRow("external") << document << "https://example.com/a.png" << true << ""
                              << documentRels;
    QTest::newRow("part at the root") << "book.xml"
                                      << "sheet.xml" << false << "sheet.xml"
                                      << "_rels/book.xml.rels";
}

void TestZip::resolvesTargets() {
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(bool, external);
    QFETCH(QString, part);
    QFETCH(QString, relationshipsPart);
    zippackage::Relationship relationship;
    relationship.target = target;
    relationship.external = external;
    QCOMPARE(zippackage::targetPart(source, relationship), part);
    QCOMPARE(zippackage::relationshipsPartOf(source), relationshipsPart);
}

// The relationships and content types lists as an XML reader walks them: only the
// children of a root of the right namespace count.
void TestZip::readsLists() {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://x/relationships/styles\" Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://x/relationships/hyperlink\" Target=\"http://a\" "
        "TargetMode=\"external\"><Relationship Id=\"nested\"/></Relationship>"
        "</Relationships>";
    zippackage::RelationshipsReader relationships;
    for (QXmlStreamReader xml(rels); !xml.atEnd();) {
        xml.readNext();
        relationships.take(xml);
    }
    QVERIFY(relationships.rootIsList());
    QCOMPARE(relationships.depth(), 0);
    QCOMPARE(relationships.relationships().size(), 2);
    const zippackage::Relationship& styles = relationships.relationships().at(0);
    QCOMPARE(styles.id, QStringLiteral("rId1"));
    QVERIFY(styles.is(u"styles") && !styles.is(u"tyles") && !styles.external);
    QVERIFY(relationships.relationships().at(1).external);

    const QByteArray types =
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"PNG\" ContentType=\"image/png\"/>"
        "<Override PartName=\"/Word/Document.xml\" ContentType=\"main\"/></Types>";
    zippackage::ContentTypesReader contentTypes;
    for (QXmlStreamReader xml(types); !xml.atEnd();) {
        xml.readNext();
        contentTypes.take(xml);
    }
    QVERIFY(contentTypes.rootIsList());
    QVERIFY(contentTypes.hasDefault(QStringLiteral("png")));
    QVERIFY(!contentTypes.hasDefault(QStringLiteral("xml")));
    QCOMPARE(contentTypes.overridesOf(QStringLiteral("word/document.xml")),
             QStringList{QStringLiteral("main")});

    zippackage::RelationshipsReader wrongRoot;
    QXmlStreamReader other("<Relationships xmlns=\"urn:other\"/>");
    other.readNext();
    other.readNext();
    wrongRoot.take(other);
    QVERIFY(!wrongRoot.rootIsList());
}

void TestZip::refusesPackages_data() {
    QTest::addColumn<docxbuild::Entries>("entries");
    QTest::addColumn<bool>("checkConsistency");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("part");

    const docxbuild::Entries three{{QStringLiteral("a.xml"), "<a/>"},
                                   {QStringLiteral("b.xml"), "<b/>"},
                                   {QStringLiteral("c.xml"), "<c/>"}};
    QTest::newRow("within the limits") << three << true << int(Failure::None) << "";
    docxbuild::Entries four = three;
    four.append({QStringLiteral("d.xml"), "<d/>"});
    QTest::newRow("too many entries") << four << false << int(Failure::TooManyEntries) << "";
    const docxbuild::Entries caseTwins{{QStringLiteral("word/document.xml"), "<a/>"},
                                       {QStringLiteral("Word/Document.XML"), "<b/>"}};
    QTest::newRow("names a case apart")
        << caseTwins << false << int(Failure::DuplicateEntry) << "Word/Document.XML";
    QTest::newRow("names a case apart, checked")
        << caseTwins << true << int(Failure::DuplicateEntry) << "Word/Document.XML";
}

void TestZip::refusesPackages() {
    QFETCH(docxbuild::Entries, entries);
    QFETCH(bool, checkConsistency);
    QFETCH(int, kind);
    QFETCH(QString, part);
    Package package;
    const Failure failure = package.open(zipOf(entries), {3, checkConsistency});
    QCOMPARE(int(failure.kind), kind);
    QCOMPARE(failure.part, part);
    if (failure.kind == Failure::TooManyEntries)
        QCOMPARE(failure.count, qint64(entries.size()));
    QCOMPARE(package.entryCount(), failure ? 0 : qint64(entries.size()));

    const QString notAZip = m_dir.filePath(QStringLiteral("text.zip"));
    docxbuild::writeFile(notAZip, "not a zip at all");
    const Failure text = package.open(notAZip, {});
    QCOMPARE(text.kind, Failure::NotAZip);
    QVERIFY(!text.zipText.isEmpty());
}

void TestZip::limitsParts_data() {
    QTest::addColumn<docxbuild::Entries>("entries");
    QTest::addColumn<qint64>("packageLimit");
    QTest::addColumn<qint64>("partLimit");
    QTest::addColumn<QStringList>("reads");
    // For each read: the failure, or None.
    QTest::addColumn<QList<int>>("kinds");

    const QByteArray big = "<a>" + QByteArray(2000, 'x') + "</a>";
    const docxbuild::Entries two{{QStringLiteral("one.xml"), big},
                                 {QStringLiteral("two.xml"), big}};
    const qint64 part = zippackage::kMaxPartBytes;
    const QStringList oneTwo{QStringLiteral("one.xml"), QStringLiteral("two.xml")};
    QTest::newRow("each within the limits")
        << two << 10000LL << part << oneTwo << QList<int>{Failure::None, Failure::None};
    QTest::newRow("together over the package limit")
        << two << 3000LL << part << oneTwo << QList<int>{Failure::None, Failure::PackageTooLarge};
    QTest::newRow("over the part limit")
        << two << 10000LL << 1000LL << oneTwo
        << QList<int>{Failure::PartTooLarge, Failure::PartTooLarge};
    QTest::newRow("read twice, by another name")
        << two << 10000LL << part
        << QStringList{QStringLiteral("one.xml"), QStringLiteral("ONE.xml")}
        << QList<int>{Failure::None, Failure::ReadBefore};
    // A part refused counts as not read: asked again, it is refused for its size again.
    QTest::newRow("refused part asked again")
        << two << 10000LL << 1000LL
        << QStringList{QStringLiteral("one.xml"), QStringLiteral("one.xml")}
        << QList<int>{Failure::PartTooLarge, Failure::PartTooLarge};
    QTest::newRow("missing") << two << 10000LL << part << QStringList{QStringLiteral("three.xml")}
                             << QList<int>{Failure::Missing};
    const docxbuild::Entries declared{
        {QStringLiteral("dtd.xml"), "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"x\">]><a/>"},
        {QStringLiteral("prolog.xml"),
         "<?xml version=\"1.0\"?>" + QByteArray(200 * 1024, ' ') + "<a/>"},
        {QStringLiteral("comment.xml"), "<?xml version=\"1.0\"?><!-- <!DOCTYPE --><a/>"}};
    QTest::newRow("declarations and prologs")
        << declared << 1000000LL << part
        << QStringList{QStringLiteral("dtd.xml"), QStringLiteral("prolog.xml"),
                       QStringLiteral("comment.xml")}
        << QList<int>{Failure::Declaration, Failure::LongProlog, Failure::None};
}

void TestZip::limitsParts() {
    QFETCH(docxbuild::Entries, entries);
    QFETCH(qint64, packageLimit);
    QFETCH(qint64, partLimit);
    QFETCH(QStringList, reads);
    QFETCH(QList<int>, kinds);
    Package package;
    QVERIFY(!package.open(zipOf(entries), {100, true, packageLimit}));
    for (qsizetype i = 0; i < reads.size(); ++i) {
        QByteArray bytes;
        const Failure failure = package.read(reads.at(i), &bytes, partLimit);
        QCOMPARE(int(failure.kind), kinds.at(i));
        if (failure) {
            QCOMPARE(failure.part, reads.at(i));
            QVERIFY(bytes.isEmpty());
        } else {
            QCOMPARE(bytes, docxinspect::entry(entries, reads.at(i)));
            QVERIFY(package.wasRead(reads.at(i)));
        }
    }
}

QTEST_GUILESS_MAIN(TestZip)
#include "tst_zip.moc"
