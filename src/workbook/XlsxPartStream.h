#pragma once

#include "zip/XmlProlog.h"

#include <QIODevice>
#include <QString>

typedef struct zip_file zip_file_t;

namespace xlsxpackage {

// One part of a package, unpacked as its reader asks for the bytes. The limits on the
// part's size, on what all the parts of its package unpack together, and on what may
// come before its root element are applied as the bytes come; a document type
// declaration stops it where it begins.
class PartStream : public QIODevice {
public:
    // `packageUnpacked` counts what is unpacked from every part of the package;
    // `index` is the part's entry in the zip.
    PartStream(zip_file_t* file, qint64 index, const QString& part, qint64& packageUnpacked);
    ~PartStream() override;
    bool isSequential() const override { return true; }

    // Told by the reader when the root element begins: no declaration can follow.
    void rootElementSeen() { m_rootSeen = true; }
    // Why the unpacking stopped; "" while it goes on.
    const QString& cause() const { return m_cause; }
    qint64 index() const { return m_index; }
    // The bytes unpacked so far.
    qint64 unpacked() const { return m_unpacked; }

    // Reads to the end of the part.
    void drain();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 stop(const QString& cause) {
        m_cause = cause;
        return -1;
    }

    zip_file_t* m_file;
    qint64 m_index;
    QString m_part;
    QString m_cause;
    qint64 m_unpacked = 0;
    qint64& m_packageUnpacked;
    bool m_rootSeen = false;
    XmlPrologWatch m_prolog;
};

// The causes of refusals, in Chinese, naming the part as messages show it.
QString partTooLargeCause(const QString& part);
QString packageTooLargeCause(const QString& part);
QString doctypeCause(const QString& part);

} // namespace xlsxpackage
