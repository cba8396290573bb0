#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QXmlStreamReader;

// The content types list of a package, "[Content_Types].xml": the type of the parts
// of each file extension (<Default>) and of single parts (<Override>).
namespace zippackage {

inline const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");

// Collects the content types list as an XML reader walks it: each <Default> and
// <Override> child of the root element. Extensions and part names are compared without
// regard to letter case.
class ContentTypesReader {
public:
    // Takes the token the reader stands on; call it after every token.
    void take(const QXmlStreamReader& reader);
    // Elements open around the current token (1 within the root element).
    int depth() const { return m_depth; }
    // Whether the root element is a <Types> list of the package content types namespace
    // (as soon as its start tag was taken).
    bool rootIsList() const { return m_rootIsList; }

    // Whether the list gives a type to the files of that extension ("png").
    bool hasDefault(const QString& extension) const;
    // The types the list gives the part `part` itself (named without a leading "/"),
    // usually one.
    QStringList overridesOf(const QString& part) const;

private:
    int m_depth = 0;
    bool m_rootIsList = false;
    QHash<QString, QString> m_defaults;       // extension in lower case: type
    QMultiHash<QString, QString> m_overrides; // part name in lower case: type
};

} // namespace zippackage
