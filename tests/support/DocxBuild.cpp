#include "support/DocxBuild.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <zip.h>

#include <cmath>
#include <utility>

namespace docxbuild {

using docxinspect::entry;
using docxinspect::kDocumentPart;
using docxinspect::kTypesPart;
using docxinspect::kW;

const QString kDeclaration =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void writeZip(const QString& path, const Entries& entries) {
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (const auto& [name, data] : entries) {
        zip_source_t* source = zip_source_buffer(archive, data.constData(), data.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, 0);
        QVERIFY(index >= 0);
        zip_set_file_compression(archive, index, data.isEmpty() ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    QCOMPARE(zip_close(archive), 0);
}

QStringList directoryListing(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A package of a content types list, the package relationships and the main
// part (no relationships part of its own).
Entries minimalPackage(const QByteArray& document) {
    const QByteArray types =
        kDeclaration.toUtf8() +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
    const QByteArray rels =
        kDeclaration.toUtf8() +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
    return {{kTypesPart, types}, {QStringLiteral("_rels/.rels"), rels}, {kDocumentPart, document}};
}

QByteArray wordDocument(const QString& body) {
    return (kDeclaration +
            QStringLiteral("<w:document xmlns:w=\"%1\"><w:body>%2</w:body></w:document>")
                .arg(kW, body))
        .toUtf8();
}

QColor plotColor(int index) {
    return QColor::fromHsv((index * 47) % 360, 170, 235);
}

// A plot-sized picture whose top-left corner tells which one it is.
QImage plot(int index) {
    QImage image(601, 289, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, 60, 289, plotColor(index));
    painter.drawRect(70, 10, 520, 268);
    for (int x = 71; x < 589; x += 2)
        painter.drawPoint(x, 144 - int(100 * std::sin(x / 30.0) * std::exp(-(x - 71) / 300.0)));
    QFont font = painter.font();
    font.setPixelSize(90);
    painter.setFont(font);
    painter.drawText(QRect(70, 10, 520, 268), Qt::AlignCenter, QString::number(index + 1));
    return image;
}

QString segment(int index) {
    return QStringLiteral("测试段 T%1-B1F").arg(index + 1);
}

// What every written package must satisfy: well-formed parts, one PNG content
// type, unique ids and names, every picture's relationship leading to a part
// in the package.
void verifyPackage(const Inspection& doc) {
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.pngDefaults, 1);
    QSet<QString> ids;
    for (const auto& picture : doc.pictures) {
        QVERIFY2(!ids.contains(picture.id), qPrintable(picture.id));
        ids.insert(picture.id);
        const QString target = doc.relationshipTargets.value(picture.embed);
        QVERIFY2(!target.isEmpty(), qPrintable(picture.embed));
        QVERIFY2(!entry(doc.entries, QStringLiteral("word/") + target).isEmpty(),
                 qPrintable(target));
    }
    QCOMPARE(QSet<QString>(doc.relationshipIds.begin(), doc.relationshipIds.end()).size(),
             doc.relationshipIds.size());
    QSet<QString> names;
    for (const auto& [name, data] : doc.entries)
        names.insert(name.toLower());
    QCOMPARE(names.size(), doc.entries.size());
}

// Template pieces: a paragraph of text (with properties), a placeholder
// paragraph, and what a picture looks like once the document is read back
// (see templateBody).
QString para(const QString& text, const QString& properties) {
    return QStringLiteral("<w:p>%1<w:r><w:t xml:space=\"preserve\">%2</w:t></w:r></w:p>")
        .arg(properties, text);
}

QString pic(const QString& segment, qint64 cx) {
    return cx == kFullWidthEmu ? QStringLiteral("<PIC seg=\"%1\"/>").arg(segment)
                               : QStringLiteral("<PIC seg=\"%1\" cx=\"%2\"/>").arg(segment).arg(cx);
}

// A paragraph holding the picture of a segment, as templateBody shows it.
QString picPara(const QString& segment, qint64 cx) {
    return QStringLiteral("<w:p>%1</w:p>").arg(pic(segment, cx));
}

QString bookmarked(const QString& text, const QString& id) {
    return QStringLiteral("<w:p><w:bookmarkStart w:id=\"%1\" w:name=\"veltrace\"/><w:r><w:t>%2"
                          "</w:t></w:r><w:bookmarkEnd w:id=\"%1\"/></w:p>")
        .arg(id, text);
}

QByteArray relationships(const QStringList& entries) {
    QString xml = kDeclaration + QStringLiteral("<Relationships xmlns=\"http://schemas."
                                                "openxmlformats.org/package/2006/relationships\">");
    for (int i = 0; i < entries.size(); ++i)
        xml += QStringLiteral("<Relationship Id=\"rIdT%1\" Type=\"%2/%3\" Target=\"%4\"/>")
                   .arg(i + 1)
                   .arg(docxinspect::kR, entries.at(i).section(u' ', 0, 0),
                        entries.at(i).section(u' ', 1));
    return (xml + QStringLiteral("</Relationships>")).toUtf8();
}

void compareNotices(const QStringList& notices, const QStringList& words) {
    QCOMPARE(notices.size(), words.size());
    for (int i = 0; i < words.size(); ++i)
        QVERIFY2(notices.at(i).contains(words.at(i)), qPrintable(notices.at(i)));
}

// A table of one row per entry; a cell is "width|content" (width in twips,
// for tcW; empty for none) and the grid is given in twips.
QString table(const QList<int>& grid, const QList<QStringList>& rows) {
    QString xml = QStringLiteral("<w:tbl><w:tblPr/><w:tblGrid>");
    for (int column : grid)
        xml += QStringLiteral("<w:gridCol w:w=\"%1\"/>").arg(column);
    xml += QStringLiteral("</w:tblGrid>");
    for (const QStringList& cells : rows) {
        xml += QStringLiteral("<w:tr>");
        for (const QString& cell : cells) {
            const QString width = cell.section(u'|', 0, 0);
            const QString content = cell.section(u'|', 1);
            QString properties;
            if (width.startsWith(u"span"))
                properties = QStringLiteral("<w:gridSpan w:val=\"%1\"/>").arg(width.mid(4));
            else if (!width.isEmpty())
                properties = QStringLiteral("<w:tcW w:w=\"%1\" w:type=\"dxa\"/>").arg(width);
            xml += QStringLiteral("<w:tc><w:tcPr>%1</w:tcPr>%2</w:tc>").arg(properties, content);
        }
        xml += QStringLiteral("</w:tr>");
    }
    return xml + QStringLiteral("</w:tbl>");
}

// A4 with margins of 2 cm: a plot fits at full width.
const QString kSection = QStringLiteral(
    "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:left=\"1134\" w:right=\"1134\"/>"
    "</w:sectPr>");

// The body of a main part with every picture run this program wrote shown as
// <PIC seg="segment"/> (and its width in EMU when not the full width), so the
// rest can be compared byte for byte.
QString templateBody(const QByteArray& document) {
    const QString xml = QString::fromUtf8(document);
    const qsizetype start = xml.indexOf(u"<w:body>") + 8;
    QString body = xml.mid(start, xml.lastIndexOf(u"</w:body>") - start);
    static const QRegularExpression run(
        QStringLiteral("<w:r><w:drawing><wp:inline[^>]*><wp:extent cx=\"(\\d+)\".*?"
                       "descr=\"驻波图：(.*?)（由 Veltrace 合成）\".*?</w:drawing></w:r>"),
        QRegularExpression::DotMatchesEverythingOption);
    QString shown;
    qsizetype done = 0;
    for (auto it = run.globalMatch(body); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        shown += body.mid(done, match.capturedStart() - done) +
                 pic(match.captured(2), match.captured(1).toLongLong());
        done = match.capturedEnd();
    }
    return shown + body.mid(done);
}

// What an independent reader sees of a template body in document order: the
// text of each paragraph that has some, and "pic:segment" for each picture.
QStringList templateSequence(const QString& body) {
    QXmlStreamReader reader(QStringLiteral("<r xmlns:w=\"%1\">%2</r>").arg(kW, body));
    QStringList sequence;
    QString text;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"PIC")
            sequence.append(QStringLiteral("pic:") +
                            reader.attributes().value(QStringLiteral("seg")).toString());
        else if (reader.isStartElement() && reader.name() == u"t")
            text += reader.readElementText();
        else if (reader.isEndElement() && reader.name() == u"p" && !text.trimmed().isEmpty())
            sequence.append(std::exchange(text, QString()).trimmed());
    }
    return sequence;
}

namespace {

// The name a kept sample of the current test row goes by.
QString sampleName() {
    QString name = QString::fromUtf8(QTest::currentTestFunction()) + u'-' +
                   QString::fromUtf8(QTest::currentDataTag());
    return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
}

} // namespace

void keepSource(const QByteArray& source) {
    const QString keep = qEnvironmentVariable("VELTRACE_KEEP_DIR");
    if (keep.isEmpty() || source.isEmpty())
        return;
    QFile file(keep + u'/' + sampleName() + QStringLiteral(".docx.source"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(source);
}

// Keeps a produced document for the checks with independent readers, with
// what they should find in it.
void keepSample(const QString& path, const QJsonObject& expectation) {
    const QString keep = qEnvironmentVariable("VELTRACE_KEEP_DIR");
    if (keep.isEmpty())
        return;
    const QString name = sampleName();
    QFile::remove(keep + u'/' + name + QStringLiteral(".docx"));
    QVERIFY(QFile::copy(path, keep + u'/' + name + QStringLiteral(".docx")));
    QFile file(keep + u'/' + name + QStringLiteral(".json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(expectation).toJson());
}

} // namespace docxbuild
