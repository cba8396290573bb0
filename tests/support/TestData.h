#pragma once

#include <QString>
#include <QTest>

// The path of a file or folder under tests/data, found as Qt Test finds test
// data: beside the test binary first, then beside the sources.
inline QString testData(const QString& relative) {
    return QTest::qFindTestData(QStringLiteral("../data/") + relative, __FILE__, __LINE__);
}

// A workbook (or a folder of them) under tests/data/workbooks.
inline QString workbookData(const QString& name) {
    return testData(QStringLiteral("workbooks/") + name);
}

// A document under tests/data/docx.
inline QString docxData(const QString& name) {
    return testData(QStringLiteral("docx/") + name);
}
