// The window's own behaviour: the numeric check and the derived test
// distance, the clock, and the warning of the specified-time option.
#include "mainwindow/Form1.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "trace/FieldErrors.h"
#include "trace/FieldRules.h"
#include "trace/Numbers.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace {} // namespace

void Form1::fieldChanged(Field field) {
    // What the user types is checked as it is typed, but a number is given
    // the chance to be finished ("-", "1e"); the program's writes are checked
    // at once.
    const fieldrules::Edit edit = fieldrules::afterEdit(field, text(field), m_check1->isChecked(),
                                                        *m_platform.random, !m_programWrite);
    if (edit.verdict == fieldrules::Edit::Verdict::Refused)
        refuseField(field);
    else if (edit.testDistance)
        setFieldText(Field::TestDistance, *edit.testDistance);
}

void Form1::fieldFinished(Field field) {
    // A number left unfinished when the editing ends is refused like any
    // other text that is not a number.
    const QString current = text(field);
    if ((field == Field::FeederLength || field == Field::Vswr) && !current.isEmpty() &&
        !numbers::isNumeric(current))
        refuseField(field);
}

void Form1::refuseField(Field field) {
    const QString refused = text(field);
    setFieldText(field, QString());
    const MessageBox box{MessageBox::Icon::Critical, fieldrules::refusalMessage(), {}, {}, 0, {}};
    reportProblem(fielderrors::notANumber(*this, field, refused) + QStringLiteral("，已清空"),
                  &box);
}

void Form1::specifiedTimeClicked() {
    if (m_check2->isChecked())
        m_platform.dialogs->critical(QStringLiteral(
            "用此功能必须在自动处理模式下并在驻波表数据表格第五列填写时间！请参考模板格式！"));
}

QString Form1::dateTimeText() const {
    const QDateTime now = m_platform.clock->now();
    return QLocale().toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           fieldformat::time(now.time());
}

void Form1::clockTick() {
    if (!m_check2->isChecked())
        setFieldText(Field::Time, fieldformat::time(m_platform.clock->now().time()));
    m_clockLabel->setText(dateTimeText());
}
