#include "support/DocxInspect.h"

#include <QRegularExpression>

#include <zip.h>

QByteArray docxinspect::entry(const QString& docxPath, const QString& name) {
    int error = 0;
    zip_t* archive = zip_open(docxPath.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_stat(archive, name.toUtf8().constData(), 0, &stat) == 0) {
        if (zip_file_t* file = zip_fopen_index(archive, stat.index, 0)) {
            bytes.resize(static_cast<qsizetype>(stat.size));
            if (zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
                bytes.clear();
            zip_fclose(file);
        }
    }
    zip_discard(archive);
    return bytes;
}

QStringList docxinspect::pictureDescriptions(const QString& docxPath) {
    const QString xml = QString::fromUtf8(entry(docxPath, QStringLiteral("word/document.xml")));
    static const QRegularExpression docPr(
        QStringLiteral("<wp:inline\\b.*?<wp:docPr\\b[^>]*\\bdescr=\"([^\"]*)\""),
        QRegularExpression::DotMatchesEverythingOption);
    QStringList result;
    for (auto it = docPr.globalMatch(xml); it.hasNext();)
        result << it.next().captured(1);
    return result;
}

int docxinspect::emptyParagraphs(const QString& docxPath) {
    const QString xml = QString::fromUtf8(entry(docxPath, QStringLiteral("word/document.xml")));
    static const QRegularExpression empty(
        QStringLiteral("<w:p(?:\\s[^>]*)?/>|<w:p(?:\\s[^>]*)?>(?:(?!<w:r[ >/]).)*?</w:p>"),
        QRegularExpression::DotMatchesEverythingOption);
    int count = 0;
    for (auto it = empty.globalMatch(xml); it.hasNext(); it.next())
        ++count;
    return count;
}

QList<QImage> docxinspect::pictures(const QString& docxPath) {
    const QString xml = QString::fromUtf8(entry(docxPath, QStringLiteral("word/document.xml")));
    const QString rels =
        QString::fromUtf8(entry(docxPath, QStringLiteral("word/_rels/document.xml.rels")));
    static const QRegularExpression embed(QStringLiteral("<a:blip\\b[^>]*\\br:embed=\"([^\"]*)\""));
    QList<QImage> result;
    for (auto it = embed.globalMatch(xml); it.hasNext();) {
        const QString id = it.next().captured(1);
        const QRegularExpression target(
            QStringLiteral("<Relationship\\b[^>]*\\bId=\"%1\"[^>]*\\bTarget=\"([^\"]*)\"")
                .arg(QRegularExpression::escape(id)));
        const QString name = target.match(rels).captured(1);
        result << QImage::fromData(entry(docxPath, QStringLiteral("word/") + name));
    }
    return result;
}
