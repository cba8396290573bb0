// The window's own behaviour: the numeric check and the derived test
// distance, the clock, and the warning of the specified-time option.
#include "mainwindow/Form1.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "trace/FieldErrors.h"
#include "trace/FieldRules.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace {

const QString kTimePattern = QStringLiteral("HH:mm:ss");

} // namespace

void Form1::fieldChanged(int index) {
    if (!fieldrules::accepts(index, text(index))) {
        const QString refused = text(index);
        m_fields[index]->clear();
        const MessageBox box{
            MessageBox::Icon::Critical, fieldrules::refusalMessage(), {}, {}, 0, {}};
        reportProblem(fielderrors::notANumber(*this, index, refused) + QStringLiteral("，已清空"),
                      &box);
        return;
    }
    if (index != fieldrules::kFeederLength)
        return;
    const auto distance =
        fieldrules::derivedTestDistance(text(index), m_check1->isChecked(), *m_platform.random);
    if (distance)
        setFieldText(fieldrules::kTestDistance, *distance);
}

void Form1::specifiedTimeClicked() {
    if (m_check2->isChecked())
        m_platform.dialogs->critical(QStringLiteral(
            "用此功能必须在自动处理模式下并在驻波表数据表格第五列填写时间！请参考模板格式！"));
}

QString Form1::dateTimeText() const {
    const QDateTime now = m_platform.clock->now();
    return QLocale().toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           now.time().toString(kTimePattern);
}

void Form1::clockTick() {
    if (!m_check2->isChecked())
        setFieldText(fieldrules::kTime, m_platform.clock->now().time().toString(kTimePattern));
    m_clockLabel->setText(dateTimeText());
}
