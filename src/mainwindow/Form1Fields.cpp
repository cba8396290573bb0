// The window's own behaviour: the refusals of the field set, the clock, and
// the warning of the specified-time option.
#include "mainwindow/Form1.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

// A refused text: the field set has emptied the field (or kept a number
// beyond its bounds for the user to mend); the box says why.
void Form1::showRefusal(const std::optional<FieldSet::Refusal>& refusal) {
    if (refusal)
        m_platform.dialogs->critical(refusal->message());
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
