#pragma once

#include "common/Result.h"
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
// relationship, or the usual name; none when there is no such part. Failed
// when the package relationships cannot be read.
Result<std::optional<QString>> findMainPart(DocxPackage& package);

// Reads the parts appending needs, the main part being main.
Result<docx::AppendInput> readParts(DocxPackage& package, const QString& main);

} // namespace documentparts
