#include "support/DocxInspect.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

using namespace docxinspect;

namespace {

// The whole of one entry, or nothing when it cannot be read whole.
QByteArray readEntry(zip_t* archive, zip_int64_t index, zip_uint64_t size) {
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (!file)
        return {};
    if (zip_fread(file, data.data(), size) != zip_int64_t(size))
        data.clear();
    zip_fclose(file);
    return data;
}

// Walks the main part once: the blocks of the body, the pictures with their
// sizes and relationships, and the paragraphs without a run.
class DocumentReader {
public:
    DocumentReader(const QByteArray& xml, Inspection& result) : m_reader(xml), m_result(result) {}

    void read() {
        while (!m_reader.atEnd()) {
            m_reader.readNext();
            if (m_reader.isStartElement())
                start();
            else if (m_reader.isEndElement())
                end();
        }
        if (m_reader.hasError())
            m_result.error = kDocumentPart + QStringLiteral(": ") + m_reader.errorString();
    }

private:
    void start() {
        ++m_depth;
        const QString name = m_reader.name().toString();
        const QStringView ns = m_reader.namespaceUri();
        if (m_depth == 3)
            m_hasText = m_hasPicture = m_sectionBreak = false;
        if (ns == kW)
            startWord(name);
        else if (ns == kWp)
            startDrawing(name);
        else if (ns == kA && name == u"blip" && !m_result.pictures.isEmpty())
            m_result.pictures.last().embed =
                m_reader.attributes().value(kR, QStringLiteral("embed")).toString();
    }

    void startWord(const QString& name) {
        if (name == u"p") {
            m_paragraphRuns.append(false);
        } else if (name == u"r") {
            m_paragraphRuns.fill(true);
        } else if (name == u"t") {
            // The text is read here, its end element with it.
            m_hasText |= !m_reader.readElementText().isEmpty();
            --m_depth;
        } else if (name == u"sectPr" && m_depth > 3) {
            m_sectionBreak = true;
        }
    }

    void startDrawing(const QString& name) {
        const QXmlStreamAttributes attributes = m_reader.attributes();
        if (name == u"inline" || name == u"anchor") {
            m_inlined = name == u"inline";
        } else if (name == u"extent") {
            m_cx = attributes.value(QStringLiteral("cx")).toLongLong();
            m_cy = attributes.value(QStringLiteral("cy")).toLongLong();
        } else if (name == u"docPr") {
            m_hasPicture = true;
            m_result.pictures.append({attributes.value(QStringLiteral("descr")).toString(),
                                      attributes.value(QStringLiteral("id")).toString(),
                                      {},
                                      m_cx,
                                      m_cy,
                                      m_inlined,
                                      attributes.hasAttribute(QStringLiteral("descr"))});
        }
    }

    void end() {
        const bool paragraph = m_reader.namespaceUri() == kW && m_reader.name() == u"p";
        if (paragraph && !m_paragraphRuns.isEmpty() && !m_paragraphRuns.takeLast())
            ++m_result.runlessParagraphs;
        if (m_depth == 3)
            m_result.blocks.append(paragraph ? paragraphKind() : m_reader.name().toString());
        --m_depth;
    }

    QString paragraphKind() const {
        return m_hasPicture     ? QStringLiteral("pic")
               : m_hasText      ? QStringLiteral("text")
               : m_sectionBreak ? QStringLiteral("break")
                                : QStringLiteral("empty");
    }

    QXmlStreamReader m_reader;
    Inspection& m_result;
    int m_depth = 0;
    bool m_hasText = false, m_hasPicture = false, m_sectionBreak = false, m_inlined = false;
    qint64 m_cx = 0, m_cy = 0;
    QList<bool> m_paragraphRuns; // per open paragraph: whether a run began in it
};

void readRelationships(Inspection& result) {
    QXmlStreamReader rels(entry(result.entries, kRelsPart));
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == u"Relationship") {
            const QString id = rels.attributes().value(QStringLiteral("Id")).toString();
            result.relationshipIds.append(id);
            result.relationshipTargets.insert(
                id, rels.attributes().value(QStringLiteral("Target")).toString());
        }
    }
    if (rels.hasError())
        result.error = kRelsPart + QStringLiteral(": ") + rels.errorString();
}

void countPngDefaults(Inspection& result) {
    QXmlStreamReader types(entry(result.entries, kTypesPart));
    while (!types.atEnd()) {
        types.readNext();
        if (types.isStartElement() && types.name() == u"Default" &&
            types.attributes()
                    .value(QStringLiteral("Extension"))
                    .compare(u"png", Qt::CaseInsensitive) == 0)
            ++result.pngDefaults;
    }
    if (types.hasError())
        result.error = kTypesPart + QStringLiteral(": ") + types.errorString();
}

} // namespace

Entries docxinspect::readZip(const QString& path) {
    Entries entries;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        entries.append({QString::fromUtf8(stat.name), readEntry(archive, i, stat.size)});
    }
    zip_discard(archive);
    return entries;
}

QByteArray docxinspect::entry(const Entries& entries, const QString& name) {
    for (const auto& [entryName, data] : entries)
        if (entryName == name)
            return data;
    return {};
}

QByteArray docxinspect::entry(const QString& docxPath, const QString& name) {
    return entry(readZip(docxPath), name);
}

Inspection docxinspect::inspect(const QString& path) {
    Inspection result;
    result.entries = readZip(path);
    DocumentReader(entry(result.entries, kDocumentPart), result).read();
    readRelationships(result);
    countPngDefaults(result);
    return result;
}

QImage docxinspect::pictureOf(const Inspection& doc, const Inspection::Picture& picture,
                              const char* format) {
    return QImage::fromData(
        entry(doc.entries, QStringLiteral("word/") + doc.relationshipTargets.value(picture.embed)),
        format);
}

QStringList docxinspect::pictureDescriptions(const QString& docxPath) {
    QStringList result;
    for (const auto& picture : inspect(docxPath).pictures)
        if (picture.inlined && picture.described)
            result << picture.description;
    return result;
}

QList<QImage> docxinspect::pictures(const QString& docxPath) {
    const Inspection doc = inspect(docxPath);
    QList<QImage> result;
    for (const auto& picture : doc.pictures)
        if (!picture.embed.isEmpty())
            result << pictureOf(doc, picture, nullptr);
    return result;
}

int docxinspect::emptyParagraphs(const QString& docxPath) {
    return inspect(docxPath).runlessParagraphs;
}
