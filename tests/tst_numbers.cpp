#include "trace/Numbers.h"

#include <QTest>

#include <limits>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void format_data();
    void format();
    void integerDivide_data();
    void integerDivide();
};

void TestNumbers::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");
    // Whether typing more can still make it a number.
    QTest::addColumn<bool>("prefix");
    QTest::newRow("plain") << "13.5" << true << 13.5 << true;
    QTest::newRow("blanks around") << "  13.5 " << true << 13.5 << true;
    QTest::newRow("trailing point") << "13." << true << 13.0 << true;
    QTest::newRow("leading point") << ".5" << true << 0.5 << true;
    QTest::newRow("negative") << "-2.25" << true << -2.25 << true;
    QTest::newRow("empty") << "" << false << 0.0 << false;
    QTest::newRow("blank") << "   " << false << 0.0 << false;
    QTest::newRow("sign only") << "-" << false << 0.0 << true;
    QTest::newRow("point only") << "." << false << 0.0 << true;
    QTest::newRow("exponent unfinished") << "1e" << false << 0.0 << true;
    QTest::newRow("trailing letter") << "13.5a" << false << 0.0 << false;
    QTest::newRow("two numbers") << "1 2" << false << 0.0 << false;
    QTest::newRow("infinite") << "1e400" << false << 0.0 << false;
    // As a Chinese input method types them in full width.
    QTest::newRow("full-width digits") << QStringLiteral("１３.５") << true << 13.5 << true;
    QTest::newRow("full-width point") << QStringLiteral("１．１８") << true << 1.18 << true;
    QTest::newRow("full-width minus") << QStringLiteral("－５") << true << -5.0 << true;
    QTest::newRow("ideographic full stop") << QStringLiteral("1。18") << true << 1.18 << true;
    QTest::newRow("ideographic space") << QStringLiteral("\u30001.5") << true << 1.5 << true;
    QTest::newRow("full-width sign only") << QStringLiteral("－") << false << 0.0 << true;
    QTest::newRow("full-width letter") << QStringLiteral("１ａ") << false << 0.0 << false;
    // Look-alikes of digits are not digits.
    QTest::newRow("superscript") << QStringLiteral("1.1²") << false << 0.0 << false;
    QTest::newRow("subscript") << QStringLiteral("1.1₂") << false << 0.0 << false;
    QTest::newRow("circled") << QStringLiteral("①.②") << false << 0.0 << false;
    QTest::newRow("arabic-indic") << QStringLiteral("١.٥") << false << 0.0 << false;
}

void TestNumbers::parse() {
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    QFETCH(bool, prefix);
    const auto parsed = numbers::parse(text, QLocale::c());
    QCOMPARE(parsed.has_value(), numeric);
    if (numeric)
        QCOMPARE(*parsed, value);
    QCOMPARE(numbers::isNumberPrefix(text, QLocale::c()), prefix);
}

void TestNumbers::format_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.15 to one place") << 1.15 << 1 << "1.2";
    QTest::newRow("13*3/8") << 13.0 * 3 / 8 << 2 << "4.88";
    QTest::newRow("13*5/8") << 13.0 * 5 / 8 << 2 << "8.13";
    QTest::newRow("negative half") << -2.5 << 0 << "-3";
    QTest::newRow("positive half") << 2.5 << 0 << "3";
    QTest::newRow("whole to two") << 20.0 << 2 << "20.00";
    QTest::newRow("zero") << 0.0 << 2 << "0.00";
    QTest::newRow("small") << 0.004 << 2 << "0.00";
    QTest::newRow("below one") << 0.5 << 1 << "0.5";
    QTest::newRow("carry") << 9.96 << 1 << "10.0";
    QTest::newRow("25.36") << 25.36 << 1 << "25.4";
    QTest::newRow("8") << 8.0 << 1 << "8.0";
    QTest::newRow("large") << 1e20 << 0 << "100000000000000000000";
    QTest::newRow("tiny negative") << -0.001 << 1 << "0.0";
    QTest::newRow("27") << 27.0 << 0 << "27";
}

void TestNumbers::format() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(numbers::format(value, decimals), text);
}

void TestNumbers::integerDivide_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<int>("quotient");
    QTest::addColumn<bool>("fits");
    QTest::newRow("default left") << 1255.75 << 100 << 12 << true;
    QTest::newRow("half to even down") << 1250.5 << 100 << 12 << true;
    QTest::newRow("half to even up") << 1350.5 << 100 << 13 << true;
    QTest::newRow("1299.5 rounds to 1300") << 1299.5 << 100 << 13 << true;
    QTest::newRow("negative truncates to zero") << -94.25 << 100 << 0 << true;
    QTest::newRow("negative quotient") << -250.0 << 100 << -2 << true;
    QTest::newRow("overflow") << 3e9 << 100 << 0 << false;
    QTest::newRow("by zero") << 5.0 << 0 << 0 << false;
    QTest::newRow("smallest int by one")
        << -2147483648.0 << 1 << std::numeric_limits<int>::min() << true;
    // Its negation does not fit in an int.
    QTest::newRow("smallest int by minus one") << -2147483648.0 << -1 << 0 << false;
    QTest::newRow("largest int by minus one") << 2147483647.0 << -1 << -2147483647 << true;
}

void TestNumbers::integerDivide() {
    QFETCH(double, value);
    QFETCH(int, divisor);
    QFETCH(int, quotient);
    QFETCH(bool, fits);
    const auto result = numbers::integerDivide(value, divisor);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(*result, quotient);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
