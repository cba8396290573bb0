// Writing a .docx container: the new one is built in one pass from the opened
// one, whose unchanged entries are copied compressed as they are.

#include "document/DocxPackage.h"

#include "zip/ZipErrors.h"

#include <QFile>
#include <QSet>

#include <zip.h>

namespace {

Failed errorOf(zip_t* archive) {
    return Failed{zipErrorDescription(zip_get_error(archive))};
}

// Closes out, which writes it, when it was filled; otherwise, or when the
// writing fails, drops it.
Result<> close(zip_t* out, const Result<>& filled) {
    if (filled && zip_close(out) == 0)
        return {};
    Result<> closed = filled ? Result<>(errorOf(out)) : filled;
    zip_discard(out);
    return closed;
}

// The bytes a closed archive left in memory, once it was written.
Result<QByteArray> readBack(zip_source_t* memory, const Result<>& written) {
    if (!written)
        return written.failed();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_open(memory) < 0 || zip_source_stat(memory, &stat) < 0)
        return Failed{zipErrorDescription(zip_source_error(memory))};
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    Result<QByteArray> read = std::move(bytes);
    if (zip_source_read(memory, read->data(), stat.size) != zip_int64_t(stat.size))
        read = Failed{zipErrorDescription(zip_source_error(memory))};
    zip_source_close(memory);
    return read;
}

// The extra fields libzip writes itself from what it knows of an entry (Zip64
// sizes, the UTF-8 name and comment, WinZip AES encryption) and refuses to be
// given.
bool writtenByLibzip(zip_uint16_t id) {
    return id == 0x0001 || id == 0x6375 || id == 0x7075 || id == 0x9901;
}

// What a producer wrote beside entry from of in, onto entry to of out: the extra
// fields of its local header and of the directory, each where and in the order
// they were, and its comment. Only the headers are read, not the data.
Result<> copyHeaderExtras(zip_t* in, zip_uint64_t from, zip_t* out, zip_uint64_t to) {
    for (const zip_flags_t where : {ZIP_FL_LOCAL, ZIP_FL_CENTRAL}) {
        const zip_int16_t count = zip_file_extra_fields_count(in, from, where);
        if (count < 0)
            return errorOf(in);
        for (zip_uint16_t field = 0; field < zip_uint16_t(count); ++field) {
            zip_uint16_t id = 0;
            zip_uint16_t length = 0;
            const zip_uint8_t* data =
                zip_file_extra_field_get(in, from, field, &id, &length, where);
            if (!data)
                return errorOf(in);
            if (!writtenByLibzip(id) &&
                zip_file_extra_field_set(out, to, id, ZIP_EXTRA_FIELD_NEW, data, length, where) < 0)
                return errorOf(out);
        }
    }
    zip_uint32_t length = 0;
    const char* comment = zip_file_get_comment(in, from, &length, ZIP_FL_ENC_RAW);
    if (comment && length > 0 &&
        zip_file_set_comment(out, to, comment, zip_uint16_t(length), 0) < 0)
        return errorOf(out);
    return {};
}

} // namespace

void DocxPackage::write(const QString& name, const QByteArray& data, bool store) {
    if (Written* written = m_byName.value(name)) {
        written->data = data;
        written->store = store;
        return;
    }
    m_written.push_back({name, data, store});
    m_byName.insert(name, &m_written.back());
}

Result<> DocxPackage::add(zip_t* out, const Written& written) {
    zip_source_t* source =
        zip_source_buffer(out, written.data.constData(), zip_uint64_t(written.data.size()), 0);
    if (!source)
        return errorOf(out);
    const zip_int64_t index =
        zip_file_add(out, written.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return errorOf(out);
    }
    // The fastest deflate level: a batch rewrites a main part of megabytes
    // every few seconds, and its markup compresses well at any level.
    if (zip_set_file_compression(out, zip_uint64_t(index),
                                 written.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 written.store ? 0 : 1) < 0)
        return errorOf(out);
    return {};
}

// An entry of the opened container into out, its compressed data as it is, with
// its name, time, attributes, extra fields and comment.
Result<> DocxPackage::copyEntry(zip_t* out, qint64 index) const {
    zip_t* in = m_source.archive();
    const zip_uint64_t from = zip_uint64_t(index);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(in, from, ZIP_FL_UNCHANGED, &stat) < 0)
        return errorOf(in);
    zip_source_t* source = zip_source_zip(out, in, from, ZIP_FL_COMPRESSED, 0, -1);
    if (!source)
        return errorOf(out);
    const zip_int64_t to = zip_file_add(out, zip_get_name(in, from, ZIP_FL_ENC_RAW), source, 0);
    if (to < 0) {
        zip_source_free(source);
        return errorOf(out);
    }
    // libzip deflates what a new entry does not say otherwise: a stored entry
    // stays stored, and so is not unpacked and packed again.
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_STORE &&
        zip_set_file_compression(out, zip_uint64_t(to), ZIP_CM_STORE, 0) < 0)
        return errorOf(out);
    if ((stat.valid & ZIP_STAT_MTIME) &&
        zip_file_set_mtime(out, zip_uint64_t(to), stat.mtime, 0) < 0)
        return errorOf(out);
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(in, from, 0, &system, &attributes) == 0 &&
        zip_file_set_external_attributes(out, zip_uint64_t(to), 0, system, attributes) < 0)
        return errorOf(out);
    return copyHeaderExtras(in, from, out, zip_uint64_t(to));
}

// The entries of the opened container in their order, the written ones in
// their place, then the added ones in the order they were written.
Result<> DocxPackage::fill(zip_t* out) const {
    QSet<QString> placed;
    for (qint64 index = 0; index < m_source.entryCount(); ++index) {
        const QString name = m_source.entryName(index);
        const Written* written = m_byName.value(name);
        if (written)
            placed.insert(name);
        if (Result<> put = written ? add(out, *written) : copyEntry(out, index); !put)
            return put;
    }
    for (const Written& written : m_written) {
        if (placed.contains(written.name))
            continue;
        if (Result<> added = add(out, written); !added)
            return added;
    }
    int length = 0;
    if (const char* comment = m_source.archive() ? zip_get_archive_comment(m_source.archive(),
                                                                           &length, ZIP_FL_ENC_RAW)
                                                 : nullptr;
        comment && length > 0 && zip_set_archive_comment(out, comment, zip_uint16_t(length)) < 0)
        return errorOf(out);
    return {};
}

Result<> DocxPackage::commitTo(const QString& path) {
    int code = 0;
    zip_t* out = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!out) {
        discard();
        return Failed{zipErrorDescription(code)};
    }
    // libzip writes the file beside path and renames it there once whole.
    Result<> written = close(out, fill(out));
    discard();
    return written;
}

Result<QByteArray> DocxPackage::commitToMemory() {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* out = memory ? zip_open_from_source(memory, ZIP_TRUNCATE, &error) : nullptr;
    if (!out) {
        if (memory)
            zip_source_free(memory);
        Failed failed{zipErrorDescription(&error)};
        zip_error_fini(&error);
        discard();
        return failed;
    }
    zip_error_fini(&error);
    // One reference for the archive, one for reading the result back.
    zip_source_keep(memory);
    Result<QByteArray> read = readBack(memory, close(out, fill(out)));
    zip_source_free(memory);
    discard();
    return read;
}
