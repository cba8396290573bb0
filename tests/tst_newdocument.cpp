// The parts a document this program makes is given, so that Word opens it as
// one of its own: settings in its compatibility mode, core and application
// properties, each with its relationship and content type. Documents are read
// back through support/DocxInspect, never the document layer itself.
#include "document/ReportDocument.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

using docxinspect::entry;
using docxinspect::readZip;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QImage picture() {
    QImage image(601, 289, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Pastes one picture and writes it.
Outcome writeOne(ReportDocument& report) {
    report.paste(picture(), QStringLiteral("测试段"));
    report.typeParagraphBreak();
    return report.flush();
}

// The attributes of the elements of that local name in a part.
QList<QXmlStreamAttributes> elements(const QByteArray& xml, QStringView name) {
    QList<QXmlStreamAttributes> found;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name)
            found.append(reader.attributes());
    }
    return found;
}

// The text of the first element of that qualified name in a part.
QString elementText(const QByteArray& xml, QStringView qualifiedName) {
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.qualifiedName() == qualifiedName)
            return reader.readElementText();
    }
    return {};
}

// Whether the relationships part has one of that type ending to that target.
bool relates(const QByteArray& rels, const QString& typeEnd, const QString& target) {
    for (const QXmlStreamAttributes& relationship : elements(rels, u"Relationship")) {
        if (relationship.value(QStringLiteral("Type")).endsWith(typeEnd) &&
            relationship.value(QStringLiteral("Target")) == target)
            return true;
    }
    return false;
}

QString overrideType(const QByteArray& types, const QString& part) {
    for (const QXmlStreamAttributes& override : elements(types, u"Override")) {
        if (override.value(QStringLiteral("PartName")) == part)
            return override.value(QStringLiteral("ContentType")).toString();
    }
    return {};
}

} // namespace

class TestNewDocument : public QObject {
    Q_OBJECT
private slots:
    void newDocumentsHaveWordsParts_data();
    void newDocumentsHaveWordsParts();
};

void TestNewDocument::newDocumentsHaveWordsParts_data() {
    QTest::addColumn<QString>("start");
    QTest::newRow("no file") << "missing";
    QTest::newRow("an empty file") << "empty";
    QTest::newRow("made anew after it vanished") << "vanished";
    // A document of its own keeps its properties as they are.
    QTest::newRow("an existing document") << "existing";
}

void TestNewDocument::newDocumentsHaveWordsParts() {
    QFETCH(QString, start);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    const QString fixture = docxData(QStringLiteral("report-python-docx.docx"));
    if (start == u"empty")
        writeFile(path, {});
    if (start == u"existing" || start == u"vanished") {
        QVERIFY(QFile::copy(fixture, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    if (start == u"vanished") {
        QCOMPARE(writeOne(report).message(), QString());
        QVERIFY(QFile::remove(path));
    }
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    QCOMPARE(writeOne(report).message(), QString());
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);

    const docxinspect::Entries entries = readZip(path);
    if (start == u"existing") {
        for (const QString& part :
             {QStringLiteral("docProps/core.xml"), QStringLiteral("docProps/app.xml"),
              QStringLiteral("word/settings.xml"), QStringLiteral("_rels/.rels")})
            QCOMPARE(entry(entries, part), entry(fixture, part));
        return;
    }
    const QByteArray settings = entry(entries, QStringLiteral("word/settings.xml"));
    const QList<QXmlStreamAttributes> compat = elements(settings, u"compatSetting");
    QCOMPARE(compat.size(), 1);
    const auto attribute = [&](const char* name) {
        return compat[0].value(docxinspect::kW, QString::fromLatin1(name)).toString();
    };
    QCOMPARE(attribute("name"), QStringLiteral("compatibilityMode"));
    QCOMPARE(attribute("uri"), QStringLiteral("http://schemas.microsoft.com/office/word"));
    QCOMPARE(attribute("val"), QStringLiteral("15"));

    const QByteArray core = entry(entries, QStringLiteral("docProps/core.xml"));
    QCOMPARE(elementText(core, u"dc:creator"), QStringLiteral("Veltrace"));
    for (const QString& element :
         {QStringLiteral("dcterms:created"), QStringLiteral("dcterms:modified")}) {
        const QString text = elementText(core, element);
        QVERIFY2(text.endsWith(u'Z'), qPrintable(text));
        const QDateTime when = QDateTime::fromString(text, Qt::ISODate);
        QVERIFY2(when.isValid() && when >= before && when <= after, qPrintable(text));
    }
    QVERIFY(!entry(entries, QStringLiteral("docProps/app.xml")).isEmpty());

    const QByteArray packageRels = entry(entries, QStringLiteral("_rels/.rels"));
    QVERIFY(relates(packageRels, QStringLiteral("/metadata/core-properties"),
                    QStringLiteral("docProps/core.xml")));
    QVERIFY(relates(packageRels, QStringLiteral("/extended-properties"),
                    QStringLiteral("docProps/app.xml")));
    QVERIFY(relates(entry(entries, docxinspect::kRelsPart), QStringLiteral("/settings"),
                    QStringLiteral("settings.xml")));
    const QByteArray types = entry(entries, docxinspect::kTypesPart);
    QCOMPARE(overrideType(types, QStringLiteral("/word/settings.xml")),
             QStringLiteral(
                 "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"));
    QCOMPARE(overrideType(types, QStringLiteral("/docProps/core.xml")),
             QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
    QCOMPARE(
        overrideType(types, QStringLiteral("/docProps/app.xml")),
        QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml"));
    QCOMPARE(docxinspect::pictureDescriptions(path).size(), 1);
}

QTEST_MAIN(TestNewDocument)
#include "tst_newdocument.moc"
