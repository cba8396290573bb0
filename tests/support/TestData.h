#pragma once

#include <QString>
#include <QTest>

// The path of a file or folder under tests/data, found as Qt Test finds test
// data: beside the test binary first, then beside the sources.
inline QString testData(const QString& relative) {
    return QTest::qFindTestData(QStringLiteral("../data/") + relative, __FILE__, __LINE__);
}
