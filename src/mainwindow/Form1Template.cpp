// The batch console's options for report templates: the VSWR limit of the
// verdicts (kept between runs) and whether a plot replaces its segment's
// earlier one.
#include "mainwindow/Form1.h"

#include "batch/ReportSession.h"
#include "platform/Dialogs.h"
#include "trace/Numbers.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

const QString kLimitKey = QStringLiteral("batch/limit");

QRect twipRect(int left, int top, int width, int height) {
    return {qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0)};
}

// The caption is long for the console's narrow column: a smaller font shows
// it whole rather than cut at the edge.
void fitText(QCheckBox& box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    const int indicator = box.style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, &box) +
                          box.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, &box);
    QFont font = box.font();
    while (font.pointSizeF() > 6 &&
           QFontMetrics(font).horizontalAdvance(box.text()) + indicator > box.width())
        font.setPointSizeF(font.pointSizeF() - 0.5);
    box.setFont(font);
}

} // namespace

void Form1::buildTemplateOptions(QWidget* console) {
    m_replaceExisting = new QCheckBox(QStringLiteral("替换同一测试段已有的驻波图"), console);
    m_replaceExisting->setObjectName(QStringLiteral("Check4"));
    m_replaceExisting->setGeometry(twipRect(120, 4230, 2535, 255));
    fitText(*m_replaceExisting);
    auto* caption = new QLabel(QStringLiteral("驻波比上限"), console);
    caption->setObjectName(QStringLiteral("Label5"));
    caption->setGeometry(twipRect(120, 4545, 1215, 255));
    m_limitField = new QLineEdit(console);
    m_limitField->setObjectName(QStringLiteral("Text3"));
    m_limitField->setGeometry(twipRect(1335, 4515, 1320, 270));
    m_limitField->setToolTip(
        QStringLiteral("模板中{{结论}}的合格上限；文档中写有{{驻波比上限=…}}时以文档为准"));
    const double limit = m_platform.settings->value(kLimitKey, docx::kDefaultLimit).toDouble();
    m_limitField->setText(numbers::forLocale(QString::number(limit)));
    connect(m_limitField, &QLineEdit::editingFinished, this, &Form1::limitFinished);
}

// A limit that is no VSWR (a number of at least 1) is refused, and the one
// before it comes back.
void Form1::limitFinished() {
    const double kept = m_platform.settings->value(kLimitKey, docx::kDefaultLimit).toDouble();
    const auto limit = numbers::parse(m_limitField->text());
    if (limit && *limit >= 1) {
        m_platform.settings->setValue(kLimitKey, *limit);
        return;
    }
    const QString refused = m_limitField->text();
    m_limitField->setText(numbers::forLocale(QString::number(kept)));
    m_platform.dialogs->critical(QStringLiteral("驻波比上限“%1”不是不小于1的数字，仍用 %2。")
                                     .arg(refused, m_limitField->text()));
}

void Form1::applyTemplateOptions() {
    m_report->setLimit(m_platform.settings->value(kLimitKey, docx::kDefaultLimit).toDouble());
    m_report->setReplaceExisting(m_replaceExisting->isChecked());
}
