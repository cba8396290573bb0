#include "zip/ZipPartStream.h"

#include "zip/ZipErrors.h"

#include <zip.h>

namespace zippackage {

PartStream::PartStream(zip_file_t* file, qint64 index, const QString& part, qint64 expected,
                       const Limits& limits)
    : m_file(file), m_index(index), m_part(part), m_expected(expected), m_limits(limits) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

PartStream::~PartStream() {
    zip_fclose(m_file);
}

void PartStream::drain() {
    char buffer[64 * 1024];
    while (read(buffer, sizeof buffer) > 0) {
    }
}

qint64 PartStream::stop(Failure::Kind kind, const QString& zipText) {
    m_failure.kind = kind;
    m_failure.part = m_part;
    m_failure.zipText = zipText;
    return -1;
}

qint64 PartStream::readData(char* data, qint64 maxSize) {
    if (m_failure)
        return -1;
    const zip_int64_t got = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (got < 0)
        return stop(Failure::NotUnpacked, zipErrorDescription(zip_file_get_error(m_file)));
    // Never trust the size in the header: stop as soon as the limit is passed.
    m_unpacked += got;
    m_limits.unpacked += got;
    if (m_unpacked > m_limits.part)
        return stop(Failure::PartTooLarge);
    if (m_limits.unpacked > m_limits.package)
        return stop(Failure::PackageTooLarge);
    if (!m_rootSeen) {
        const XmlPrologWatch::Verdict verdict = m_prolog.feed(QByteArrayView(data, got));
        if (verdict == XmlPrologWatch::Verdict::Declaration)
            return stop(Failure::Declaration);
        m_rootSeen = m_rootByWatch && verdict == XmlPrologWatch::Verdict::Clear;
        if (!m_rootSeen && m_unpacked > kMaxPrologBytes)
            return stop(Failure::LongProlog);
    }
    return got;
}

} // namespace zippackage
