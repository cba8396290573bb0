#pragma once

#include "zip/XmlProlog.h"
#include "zip/ZipPackage.h"

#include <QIODevice>
#include <QString>

typedef struct zip_file zip_file_t;

namespace zippackage {

// One part of a package, unpacked as its reader asks for the bytes. The limits on the
// part's size, on what all the parts of its package unpack together, and on what may
// come before its root element are applied as the bytes come; a document type
// declaration stops it where it begins. A read that stops returns -1, and failure()
// tells why.
class PartStream : public QIODevice {
public:
    // The limits the stream applies: to the part itself, and to what every part of
    // the package unpacks together, counted in `unpacked`.
    struct Limits {
        qint64 part;
        qint64 package;
        qint64& unpacked;
    };
    // `index` is the part's entry in the zip, `expected` the size its directory claims
    // (-1 when unknown).
    PartStream(zip_file_t* file, qint64 index, const QString& part, qint64 expected,
               const Limits& limits);
    ~PartStream() override;
    bool isSequential() const override { return true; }

    // Told by the XML reader when the root element begins: no declaration can follow.
    void rootElementSeen() { m_rootSeen = true; }
    // For a part read whole, without an XML reader: the watch over the bytes tells
    // when the root element begins (or something an XML reader refuses).
    void findRootByWatch() { m_rootByWatch = true; }
    // Why the unpacking stopped; none while it goes on.
    const Failure& failure() const { return m_failure; }
    qint64 index() const { return m_index; }
    // The size the zip's directory claims, not to be trusted; -1 when unknown.
    qint64 expected() const { return m_expected; }
    // The bytes unpacked so far.
    qint64 unpacked() const { return m_unpacked; }

    // Reads to the end of the part, so that its size and checksum are checked too.
    void drain();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 stop(Failure::Kind kind, const QString& zipText = QString());

    zip_file_t* m_file;
    qint64 m_index;
    QString m_part;
    qint64 m_expected;
    Failure m_failure;
    qint64 m_unpacked = 0;
    Limits m_limits;
    bool m_rootSeen = false;
    bool m_rootByWatch = false;
    XmlPrologWatch m_prolog;
};

} // namespace zippackage
