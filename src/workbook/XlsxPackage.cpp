#include "workbook/XlsxPackage.h"

#include "common/ShortText.h"
#include "workbook/XlsxReader.h"
#include "workbook/XlsxRichText.h"
#include "zip/ZipEntries.h"
#include "zip/ZipPartStream.h"

#include <QCoreApplication>

namespace xlsxpackage {

namespace {

QString doctypeCause(const QString& part) {
    return QCoreApplication::translate("workbook",
                                       "部件“%1”含有文档类型声明（DTD），出于安全原因拒绝读取")
        .arg(part);
}

} // namespace

QString causeOf(const zippackage::Failure& failure) {
    using zippackage::Failure;
    const QString part = shorttext::cut(failure.part);
    switch (failure.kind) {
    case Failure::None:
        return QString();
    case Failure::NotAZip:
        return failure.zipText;
    case Failure::TooManyEntries:
        return QCoreApplication::translate("workbook",
                                           "zip 包含 %1 个条目，超过上限 %2 个，拒绝读取")
            .arg(failure.count)
            .arg(xlsxreader::kMaxEntries);
    case Failure::DuplicateEntry:
        return duplicateEntryCause(failure.part);
    case Failure::Missing:
        return QCoreApplication::translate("workbook",
                                           "缺少部件“%1”，文件不完整或不是 Excel 工作簿")
            .arg(part);
    case Failure::ReadBefore:
        return QCoreApplication::translate(
                   "workbook", "部件“%1”在工作簿中被当作不同的部件重复引用，文件已损坏或被篡改")
            .arg(part);
    case Failure::NoInformation:
        return QCoreApplication::translate("workbook", "无法读取部件“%1”的信息，文件可能已损坏")
            .arg(part);
    case Failure::PartTooLarge:
        return QCoreApplication::translate("workbook", "部件“%1”解压后超过 %2 MiB，拒绝读取")
            .arg(part, QString::number(zippackage::kMaxPartBytes / (1024 * 1024)));
    case Failure::PackageTooLarge:
        return QCoreApplication::translate(
                   "workbook", "工作簿各部件解压后合计超过 %1 MiB（读到部件“%2”时），拒绝读取")
            .arg(QString::number(zippackage::kMaxPackageBytes / (1024 * 1024)), part);
    case Failure::Encrypted:
        return QCoreApplication::translate("workbook", "工作簿设置了密码保护（部件“%1”已加密），"
                                                       "请先在 Excel 中取消密码后再导入")
            .arg(part);
    case Failure::NotOpened:
        if (failure.wantsPassword())
            return QCoreApplication::translate(
                "workbook", "工作簿设置了密码保护，请先在 Excel 中取消密码后再导入");
        return QCoreApplication::translate("workbook", "无法解压部件“%1”：%2")
            .arg(part, failure.zipText);
    case Failure::NotUnpacked:
        return QCoreApplication::translate("workbook", "解压部件“%1”失败：%2")
            .arg(part, failure.zipText);
    case Failure::Declaration:
        return doctypeCause(part);
    case Failure::LongProlog:
        return QCoreApplication::translate(
                   "workbook", "部件“%1”在根元素之前有超过 %2 KiB 的内容，出于安全原因拒绝读取")
            .arg(part, QString::number(zippackage::kMaxPrologBytes / 1024));
    }
    return QString();
}

QString decodeEscapes(const QString& text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') &&
            text[i + 6] == QLatin1Char('_')) {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(static_cast<char16_t>(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

PartReader::PartReader(Package& package, const QString& part) : m_part(shorttext::cut(part)) {
    zippackage::Failure failure;
    m_stream = package.openPart(part, failure);
    if (m_stream)
        setDevice(m_stream.get());
    else
        fail(causeOf(failure));
}

PartReader::~PartReader() {
    // The stream goes before the reader that reads from it.
    setDevice(nullptr);
}

bool PartReader::next() {
    if (atEnd() || hasError())
        return false;
    const TokenType token = readNext();
    if (token == DTD) {
        m_dtd = true;
        raiseError();
        return false;
    }
    if (token == StartElement)
        m_stream->rootElementSeen();
    return !atEnd();
}

bool PartReader::nextStart() {
    while (next())
        if (isStartElement())
            return true;
    return false;
}

bool PartReader::nextChild() {
    while (next()) {
        if (isStartElement())
            return true;
        if (isEndElement())
            return false;
    }
    return false;
}

QString PartReader::richText() {
    return richTextOf(*this);
}

void PartReader::fail(const QString& cause) {
    if (m_cause.isEmpty())
        m_cause = cause;
    raiseError(cause);
}

Result<> PartReader::finish() {
    if (m_stream && !hasError())
        m_stream->drain();
    // What stopped the unpacking comes first: the reader only saw the part end early.
    if (m_stream && m_stream->failure())
        return Failed{causeOf(m_stream->failure())};
    if (m_dtd)
        return Failed{doctypeCause(m_part)};
    if (hasError() && error() != CustomError)
        return Failed{QCoreApplication::translate(
                          "workbook", "部件“%1”不是有效的 XML（第 %2 行：%3），文件已损坏")
                          .arg(m_part, QString::number(lineNumber()), errorString())};
    if (!m_cause.isEmpty())
        return Failed{m_cause};
    return {};
}

} // namespace xlsxpackage
