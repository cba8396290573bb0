#include "document/ReportDocument.h"
#include "support/DocxBuild.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

#include <random>

// A write into an existing document builds the new file once from the old one:
// the entries it does not change keep their compressed bytes, their method, their
// time, their extra fields, their comment and their place, the document keeps its
// comment, and nothing but the document is left in its folder.
class TestRewrite : public QObject {
    Q_OBJECT

private slots:
    void keepsUnchangedEntries_data();
    void keepsUnchangedEntries();
};

namespace {

// What a zip holds of an entry as it is stored, without unpacking it.
struct Stored {
    QString name;
    QByteArray compressed;
    quint16 method = 0;
    qint64 mtime = 0;
    // Each extra field as id, length and data, those of the local header then
    // those of the directory.
    QByteArray extras;
    QByteArray comment;
    bool operator==(const Stored&) const = default;
};

QByteArray extraFields(zip_t* archive, zip_uint64_t index) {
    QByteArray extras;
    for (const zip_flags_t where : {ZIP_FL_LOCAL, ZIP_FL_CENTRAL}) {
        extras += where == ZIP_FL_LOCAL ? "local:" : "central:";
        for (zip_int16_t i = 0; i < zip_file_extra_fields_count(archive, index, where); ++i) {
            zip_uint16_t id = 0;
            zip_uint16_t length = 0;
            const zip_uint8_t* data =
                zip_file_extra_field_get(archive, index, zip_uint16_t(i), &id, &length, where);
            extras += QByteArray::number(id, 16) + ' ' + QByteArray::number(length) + ' ' +
                      QByteArray(reinterpret_cast<const char*>(data), length).toHex() + ';';
        }
    }
    return extras;
}

QByteArray archiveComment(const QString& path) {
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    if (!archive)
        return {};
    int length = 0;
    const char* comment = zip_get_archive_comment(archive, &length, ZIP_FL_ENC_RAW);
    const QByteArray copy(comment, comment ? length : 0);
    zip_discard(archive);
    return copy;
}

QList<Stored> storedEntries(const QString& path) {
    QList<Stored> entries;
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        zip_uint32_t length = 0;
        const char* comment = zip_file_get_comment(archive, i, &length, ZIP_FL_ENC_RAW);
        Stored entry{QString::fromUtf8(stat.name),
                     {},
                     stat.comp_method,
                     qint64(stat.mtime),
                     extraFields(archive, i),
                     QByteArray(comment, comment ? length : 0)};
        entry.compressed.resize(qsizetype(stat.comp_size));
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), ZIP_FL_COMPRESSED);
        if (file &&
            zip_fread(file, entry.compressed.data(), stat.comp_size) != zip_int64_t(stat.comp_size))
            entry.compressed.clear();
        if (file)
            zip_fclose(file);
        entries.append(entry);
    }
    zip_discard(archive);
    return entries;
}

// A package with a photo that does not compress, stored, and one that does, deflated,
// from a day long past. Its producer wrote extra fields and a comment beside each
// entry (times in the local header and the directory, an owner and a field of its
// own in the local header) and a comment of the whole.
void writeReport(const QString& path) {
    QByteArray noise(200 * 1024, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char& byte : noise)
        byte = char(random());
    docxbuild::writeZip(path, docxbuild::minimalPackage(docxbuild::wordDocument(
                                  QStringLiteral("<w:p><w:r><w:t>报告</w:t></w:r></w:p>"))));
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), 0, nullptr);
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>";
    const std::pair<const char*, QByteArray> media[] = {
        {"word/media/photo.jpg", noise},
        {"docProps/notes.txt", QByteArray(50000, 'n')},
        {"word/_rels/document.xml.rels", rels}};
    for (const auto& [name, bytes] : media) {
        zip_source_t* source = zip_source_buffer(archive, bytes.constData(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(archive, index, name[0] == 'w' ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
        zip_file_set_mtime(archive, index, 946684800, 0);
    }
    for (zip_uint64_t i = 0; i < zip_uint64_t(zip_get_num_entries(archive, 0)); ++i) {
        const std::tuple<zip_uint16_t, QByteArray, zip_flags_t> fields[] = {
            {0x5455, QByteArray::fromHex("03006d383800b0e54f"), ZIP_FL_LOCAL},
            {0x5455, QByteArray::fromHex("03006d3838"), ZIP_FL_CENTRAL},
            {0x7875, QByteArray::fromHex("0104e803000004e8030000"), ZIP_FL_LOCAL},
            {0xa220, QByteArray::fromHex("28a0") + QByteArray(int(i), '\0'), ZIP_FL_LOCAL}};
        for (const auto& [id, data, where] : fields)
            zip_file_extra_field_set(archive, i, id, ZIP_EXTRA_FIELD_NEW,
                                     reinterpret_cast<const zip_uint8_t*>(data.constData()),
                                     zip_uint16_t(data.size()), where);
        const QByteArray comment = QStringLiteral("条目 %1").arg(i).toUtf8();
        zip_file_set_comment(archive, i, comment.constData(), zip_uint16_t(comment.size()),
                             ZIP_FL_ENC_UTF_8);
    }
    zip_set_archive_comment(archive, "veltrace", 8);
    zip_close(archive);
}

QImage plot(QRgb colour) {
    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

} // namespace

void TestRewrite::keepsUnchangedEntries_data() {
    QTest::addColumn<int>("flushes");
    QTest::newRow("one write") << 1;
    // The second keeps the plot the first stored as it is, too.
    QTest::newRow("two writes") << 2;
}

void TestRewrite::keepsUnchangedEntries() {
    QFETCH(int, flushes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    writeReport(path);
    for (const Stored& entry : storedEntries(path))
        QVERIFY(entry.extras.contains("central:5455") && !entry.comment.isEmpty());
    QList<Stored> before;
    {
        ReportDocument report(path);
        QVERIFY(report.open().isOk());
        for (int flush = 0; flush < flushes; ++flush) {
            before = storedEntries(path);
            report.paste(plot(qRgb(40 * flush, 0, 200)), QStringLiteral("T1-B1F"));
            report.typeParagraphBreak();
            const Outcome written = report.flush();
            QVERIFY2(written.isOk(), qPrintable(written.message()));
        }
    }
    const QList<Stored> after = storedEntries(path);
    QCOMPARE(after.size(), before.size() + 1);
    const QStringList changed{docxinspect::kTypesPart, docxinspect::kDocumentPart,
                              docxinspect::kRelsPart};
    int kept = 0;
    for (qsizetype i = 0; i < before.size(); ++i) {
        QCOMPARE(after.at(i).name, before.at(i).name);
        if (changed.contains(before.at(i).name))
            continue;
        QVERIFY2(after.at(i) == before.at(i), qPrintable(before.at(i).name));
        ++kept;
    }
    QCOMPARE(kept, before.size() - 3);
    QVERIFY(after.last().name.startsWith(QStringLiteral("word/media/")));
    QCOMPARE(after.last().method, quint16(ZIP_CM_STORE));
    QCOMPARE(archiveComment(path), QByteArray("veltrace"));
    QCOMPARE(docxinspect::readZip(path).size(), after.size());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("report.docx")});
}

QTEST_GUILESS_MAIN(TestRewrite)
#include "tst_rewrite.moc"
