#pragma once

#include <QList>
#include <QString>
#include <QStringView>

class QXmlStreamReader;

// The relationships of a package: the parts "_rels/NAME.rels" beside the parts they
// belong to (and "_rels/.rels" for the package itself), each listing targets by id and
// type, and where those targets lead.
namespace zippackage {

struct Relationship {
    QString id;
    QString type;
    QString target;
    bool external = false; // TargetMode="External": a target outside the package

    // Whether the type is of that kind: its last segment ("officeDocument", "styles").
    bool is(QStringView kind) const;
};

// The relationships part of `part`, in the folder of the part; "" stands for the
// package itself.
QString relationshipsPartOf(const QString& part);

// The part a target names. A target is relative to the folder of `source`, the part
// whose relationships list it ("" for the package's), or from the package's root when
// it begins with "/"; percent-encoded characters are decoded, "." and ".." resolved.
// Empty when it names nothing in the package (it leads out of it, or to its root).
QString resolveTarget(const QString& source, const QString& target);

// The part a relationship of `source` leads to; empty for an external target and for
// one that names nothing in the package.
QString targetPart(const QString& source, const Relationship& relationship);

// Collects the relationships of a relationships part as an XML reader walks it: each
// <Relationship> child of the root element.
class RelationshipsReader {
public:
    // Takes the token the reader stands on; call it after every token.
    void take(const QXmlStreamReader& reader);
    // Elements open around the current token (1 within the root element).
    int depth() const { return m_depth; }
    // Whether the root element is a <Relationships> list of the package relationships
    // namespace (as soon as its start tag was taken).
    bool rootIsList() const { return m_rootIsList; }
    const QList<Relationship>& relationships() const { return m_relationships; }

private:
    int m_depth = 0;
    bool m_rootIsList = false;
    QList<Relationship> m_relationships;
};

} // namespace zippackage
