#pragma once

#include "document/DocxAppend.h"
#include "zip/ZipContentTypes.h"

#include <QString>

#include <optional>

class DocxPackage;

// Finding the parts of a .docx package that appending reads: the main
// document part through the package's relationships, the parts it refers to
// (styles, numbering, headers, footers, notes), each read once and all of
// them together within a limit, and the content types.
namespace documentparts {

inline const QString kMainPartFallback = QStringLiteral("word/document.xml");
using zippackage::kContentTypesPart;

// Where the main document part is: the package's officeDocument
// relationship, or the usual name. Empty with a cause when the package
// relationships cannot be read, empty without one when there is no such part.
std::optional<QString> findMainPart(DocxPackage& package, QString* cause);

// Reads the parts appending needs, the main part being main. Returns the
// cause, or an empty string.
QString readParts(DocxPackage& package, const QString& main, docx::AppendInput* input);

} // namespace documentparts
