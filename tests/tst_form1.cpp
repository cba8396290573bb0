#include "mainwindow/ElidedLabel.h"
#include "mainwindow/Form1.h"
#include "mainwindow/ListLineDelegate.h"
#include "support/Controls.h"
#include "support/window/WindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The main window's fields and controls: their defaults, the layout, the
// keyboard, the clock, and how typed values are checked and derived.
namespace {

// Types each character as a key press carrying it, as an input method
// delivers characters that have no key of their own (full-width digits).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

using controls::field;

} // namespace

class TestForm1 : public WindowTest {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void fieldsStartFromTheirDefaults_data();
    void fieldsStartFromTheirDefaults();
    void windowLayout();
    void tabOrderFollowsTheFields();
    void plotShowsItsFocus();
    void enterClicksTheFocusedButton_data();
    void enterClicksTheFocusedButton();
    void longTextsShowTheirEnds_data();
    void longTextsShowTheirEnds();
    void dateAtLoadAndClock();
    void specifiedTimeKeepsTheTimeField();
    void typedLengthDerivesDistance_data();
    void typedLengthDerivesDistance();
    void derivedDistanceIsRandomWithoutCentring();
    void nonNumericInputIsRefused_data();
    void nonNumericInputIsRefused();
    void emptyingIsSilent();
    void boundsCheckedWhenLeftAndBeforeDrawing_data();
    void boundsCheckedWhenLeftAndBeforeDrawing();
    void specifiedTimeWarning();
};

void TestForm1::fieldsStartFromTheirDefaults_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    const char* rows[][2] = {{"测试段", "T1-B1F--T2-B1F"},
                             {"馈线长", "13.5"},
                             {"驻波比", "1.18"},
                             {"测试距离", "20"},
                             {"站点", "Distance-to-fault"},
                             {"Ins.Loss:", "0.040dB/m"},
                             {"Prop.Vel:", "0.880"},
                             {"Resolution:", "517"},
                             {"Date:", "3/7/2026"},
                             {"Model:", "T520K"},
                             {"CAL:", "ON(COAX)"},
                             {"Time:", ""},
                             {"Serial#:", "00401017"},
                             {"CW:", "ON"}};
    for (int i = 0; i < 14; ++i)
        QTest::addRow("field %d", i)
            << i << QString::fromUtf8(rows[i][0]) << QString::fromUtf8(rows[i][1]);
}

void TestForm1::fieldsStartFromTheirDefaults() {
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    auto* label = controls::fieldCaption(*m_form, index);
    QVERIFY(label && field(*m_form, index));
    QCOMPARE(label->text(), caption);
    QCOMPARE(field(*m_form, index)->text(), text);
    QCOMPARE(m_form->fields().caption(*fieldAt(index)), caption);
}

void TestForm1::windowLayout() {
    QCOMPARE(m_form->size(), QSize(797, 495));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Quorvex Veltrace Emulator V2.0"));
    QVERIFY(!m_form->windowIcon().isNull());
    QCOMPARE(controls::plot(*m_form)->geometry(), QRect(0, 0, 601, 289));
    QCOMPARE(m_form->canvas().Image().size(), QSize(601, 289));
    auto* batch = controls::command(*m_form, 4);
    QVERIFY(!batch->isEnabled());
    QCOMPARE(batch->text(), QStringLiteral("处理以上数据"));
    auto* generate = controls::command(*m_form, 1);
    QCOMPARE(generate->toolTip(), QStringLiteral("快捷键Alt+C"));
    QVERIFY(generate->font().bold());
    QCOMPARE(generate->geometry(), QRect(8, 112, 73, 57));
    QCOMPARE(controls::target(*m_form)->geometry(), QRect(72, 471, 529, 21));
    QVERIFY(controls::command(*m_form, 5)->toolTip().isEmpty());
}

void TestForm1::tabOrderFollowsTheFields() {
    QStringList expected{QStringLiteral("p1")};
    for (int i = 0; i < 14; ++i)
        expected << QStringLiteral("Text1_%1").arg(i);
    expected << "Command1"
             << "Command2"
             << "Text2"
             << "Check1"
             << "Command3"
             << "List1"
             << "Command4"
             << "Check2"
             << "Command5";
    QStringList chain;
    QWidget* start = controls::plot(*m_form);
    QWidget* w = start;
    do {
        if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start);
    QCOMPARE(chain, expected);
}

void TestForm1::plotShowsItsFocus() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    auto* plot = controls::plot(*m_form);
    const QImage plain = m_form->canvas().Image().convertToFormat(QImage::Format_RGB32);
    // Tab from the last stop comes round to the plot.
    controls::command(*m_form, 5)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(plot->hasFocus());
    QVERIFY(plot->grab().toImage().convertToFormat(QImage::Format_RGB32) != plain);
    QTest::keyClick(plot, Qt::Key_Tab);
    QVERIFY(field(*m_form, 0)->hasFocus());
    QCOMPARE(plot->grab().toImage().convertToFormat(QImage::Format_RGB32), plain);
}

void TestForm1::enterClicksTheFocusedButton_data() {
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("copies");
    QTest::newRow("Space on a button") << "Command5" << int(Qt::Key_Space) << 0 << 1;
    QTest::newRow("Return on a button") << "Command5" << int(Qt::Key_Return) << 0 << 1;
    QTest::newRow("keypad Enter on a button")
        << "Command5" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
    QTest::newRow("Ctrl+Return on a button")
        << "Command5" << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
    QTest::newRow("Return in a field") << "Text1_0" << int(Qt::Key_Return) << 0 << 0;
}

void TestForm1::enterClicksTheFocusedButton() {
    QFETCH(QString, widget);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, copies);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    auto* target = controls::control<QWidget>(*m_form, widget);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_fakes->dialogs.informationTexts().size(), copies);
    QCOMPARE(m_fakes->clipboard.sets, copies);
}

void TestForm1::longTextsShowTheirEnds_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("vswr");
    QTest::newRow("short name") << "1扇区"
                                << "1.18";
    QTest::newRow("long name") << QString(40, QLatin1Char('T')) + QStringLiteral("-B1F") << "1.25";
    QTest::newRow("long name, no VSWR") << QStringLiteral("长") + QString(60, u'段') << "";
}

// The workbook path and the list lines keep their whole texts; a text too long
// for its place shows its end (the file name, the VSWR) and leaves out a middle.
void TestForm1::longTextsShowTheirEnds() {
    QFETCH(QString, name);
    QFETCH(QString, vswr);
    auto* list = controls::rowList(*m_form);
    QVERIFY(qobject_cast<ListLineDelegate*>(list->itemDelegate()));
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    const QString line = name + QStringLiteral("      ") + vswr;
    const int width = list->viewport()->width();
    const QString shown = ListLineDelegate::shownText(line, list->fontMetrics(), width);
    QVERIFY(list->fontMetrics().horizontalAdvance(shown) <= width);
    QVERIFY2(shown.endsWith(QStringLiteral("      ") + vswr), qPrintable(shown));
    QCOMPARE(shown == line, list->fontMetrics().horizontalAdvance(line) <= width);

    auto* label = qobject_cast<ElidedLabel*>(controls::workbookLabel(*m_form));
    QVERIFY(label);
    const QString path = QStringLiteral("/home/user/") + name + QStringLiteral("/驻波数据.xlsx");
    label->setText(path);
    QCOMPARE(label->text(), path);
    QVERIFY(label->fontMetrics().horizontalAdvance(label->shownText()) <= label->width());
    QVERIFY(label->shownText().startsWith(QStringLiteral("/h")));
    QVERIFY(label->shownText().endsWith(QStringLiteral(".xlsx")));
}

void TestForm1::dateAtLoadAndClock() {
    auto* clockLabel = controls::control<QLabel>(*m_form, QStringLiteral("Label2_1"));
    QVERIFY(field(*m_form, 11)->text().isEmpty());
    QVERIFY(clockLabel->text().isEmpty());
    m_fakes->clock.current = QDateTime(QDate(2026, 3, 8), QTime(0, 0, 3));
    m_form->clockTick();
    QCOMPARE(field(*m_form, 11)->text(), QStringLiteral("00:00:03"));
    QVERIFY(clockLabel->text().endsWith(QStringLiteral(" 00:00:03")));
    QVERIFY(clockLabel->text().contains(QStringLiteral("8")));
    // The date is written once, at load, and stays after midnight.
    QCOMPARE(field(*m_form, 8)->text(), QStringLiteral("3/7/2026"));
    auto* timer = controls::control<QTimer>(*m_form, QStringLiteral("Timer1"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 1000);
}

void TestForm1::specifiedTimeKeepsTheTimeField() {
    m_form->clockTick();
    auto* check2 = controls::check(*m_form, 2);
    check2->click();
    m_fakes->clock.current = m_fakes->clock.current.addSecs(5);
    m_form->clockTick();
    QCOMPARE(field(*m_form, 11)->text(), QStringLiteral("14:05:09"));
    check2->click();
    m_form->clockTick();
    QCOMPARE(field(*m_form, 11)->text(), QStringLiteral("14:05:14"));
}

void TestForm1::typedLengthDerivesDistance_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("distances");
    QTest::newRow("13.5") << "13.5" << QStringList{"2", "26", "26", "27"};
    QTest::newRow("27") << "27" << QStringList{"4", "54"};
    // As a Chinese input method types in full width; the field keeps it.
    QTest::newRow("full-width 13.5")
        << QStringLiteral("１３．５") << QStringList{"2", "26", "26", "27"};
    QTest::newRow("negative, sign first") << "-5" << QStringList{"-10"};
}

void TestForm1::typedLengthDerivesDistance() {
    QFETCH(QString, typed);
    QFETCH(QStringList, distances);
    controls::check(*m_form, 1)->setChecked(true);
    field(*m_form, 1)->clear();
    QStringList seen;
    connect(field(*m_form, 3), &QLineEdit::textChanged, this,
            [&seen](const QString& text) { seen << text; });
    typeText(field(*m_form, 1), typed);
    QCOMPARE(field(*m_form, 1)->text(), typed);
    QCOMPARE(seen.last(), distances.last());
    // Equal successive texts may be written once or twice; the values in order must match.
    seen.removeDuplicates();
    distances.removeDuplicates();
    QCOMPARE(seen, distances);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestForm1::derivedDistanceIsRandomWithoutCentring() {
    QSet<QString> values;
    for (int i = 0; i < 40; ++i) {
        m_form->setFieldText(Field::FeederLength,
                             i % 2 ? QStringLiteral("13.5") : QStringLiteral("13.50"));
        bool ok = false;
        const int distance = field(*m_form, 3)->text().toInt(&ok);
        QVERIFY(ok);
        QVERIFY2(distance >= 15 && distance <= 28, qPrintable(field(*m_form, 3)->text()));
        values.insert(field(*m_form, 3)->text());
    }
    QVERIFY(values.size() > 1);
}

void TestForm1::nonNumericInputIsRefused_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    // A number still being typed waits for the editing to end.
    QTest::addColumn<bool>("atEnd");
    QTest::newRow("length with a letter") << 1 << "13.5a" << false;
    QTest::newRow("length of a sign alone") << 1 << "-" << true;
    QTest::newRow("vswr with a letter") << 2 << "1.35x" << false;
    QTest::newRow("vswr of a point alone") << 2 << "." << true;
    QTest::newRow("length with an unfinished exponent") << 1 << "1e" << true;
    QTest::newRow("full-width length with a letter") << 1 << QStringLiteral("１３．５ａ") << false;
    // Look-alikes of digits are not digits.
    QTest::newRow("vswr with a superscript") << 2 << QStringLiteral("1.1²") << false;
    QTest::newRow("vswr with a circled digit") << 2 << QStringLiteral("1.①") << false;
}

void TestForm1::nonNumericInputIsRefused() {
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(bool, atEnd);
    field(*m_form, index)->clear();
    typeText(field(*m_form, index), typed.chopped(1));
    const QString distance = field(*m_form, 3)->text();
    typeText(field(*m_form, index), typed.right(1));
    QCOMPARE(field(*m_form, index)->text().isEmpty(), !atEnd);
    if (atEnd) {
        QVERIFY(m_fakes->dialogs.messages.isEmpty());
        QTest::keyClick(field(*m_form, index), Qt::Key_Return);
    }
    QVERIFY(field(*m_form, index)->text().isEmpty());
    QCOMPARE(field(*m_form, 3)->text(), distance);
    QCOMPARE(m_fakes->dialogs.criticalTexts(),
             QStringList{QStringLiteral("您的输入有错！请输入纯数字数据！")});
}

void TestForm1::emptyingIsSilent() {
    const QString distance = field(*m_form, 3)->text();
    field(*m_form, 1)->clear();
    field(*m_form, 2)->clear();
    QCOMPARE(field(*m_form, 3)->text(), distance);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    // Toggling the centring option alone leaves the distance as it is.
    controls::check(*m_form, 1)->click();
    QCOMPARE(field(*m_form, 3)->text(), distance);
}

void TestForm1::boundsCheckedWhenLeftAndBeforeDrawing_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    // Typing 0.5 passes through 0 without a word.
    QTest::newRow("VSWR below 1") << 2 << "0.5"
                                  << "驻波比“0.5”小于1！驻波比不能小于1，请重新输入！";
    QTest::newRow("negative length") << 1 << "-5"
                                     << "馈线长“-5”不大于0！馈线长必须大于0，请重新输入！";
    QTest::newRow("zero distance") << 3 << "0"
                                   << "测试距离“0”不大于0！测试距离必须大于0，请重新输入！";
}

void TestForm1::boundsCheckedWhenLeftAndBeforeDrawing() {
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    field(*m_form, index)->clear();
    typeText(field(*m_form, index), typed);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    // Leaving the field says the bound and keeps the text for the user to mend.
    QTest::keyClick(field(*m_form, index), Qt::Key_Return);
    QCOMPARE(m_fakes->dialogs.criticalTexts(), QStringList{message});
    QCOMPARE(field(*m_form, index)->text(), typed);
    // No plot is drawn from it.
    QVERIFY(!m_form->generate());
    QCOMPARE(m_fakes->dialogs.criticalTexts(), (QStringList{message, message}));
    QVERIFY(!printed(m_form->canvas(), QStringLiteral("M1")));
}

void TestForm1::specifiedTimeWarning() {
    auto* check2 = controls::check(*m_form, 2);
    check2->click();
    QCOMPARE(m_fakes->dialogs.criticalTexts(),
             QStringList{QStringLiteral("用此功能必须在自动处理模式下并在驻波表数据表格第五列"
                                        "填写时间！请参考模板格式！")});
    check2->click();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
