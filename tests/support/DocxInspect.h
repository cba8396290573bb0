#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// Reads what the tests need to know about a produced .docx without going
// through the program's own document layer.
namespace docxinspect {

// The bytes of one package entry; empty when the file or entry is missing.
QByteArray entry(const QString& docxPath, const QString& name);
// The alternative texts of the inline pictures of the main document, in order.
QStringList pictureDescriptions(const QString& docxPath);
// The inline pictures of the main document, decoded, in document order.
QList<QImage> pictures(const QString& docxPath);
// The number of body paragraphs that hold no run at all (empty paragraphs).
int emptyParagraphs(const QString& docxPath);

} // namespace docxinspect
