#include "mainwindow/ListLineDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QRegularExpression>
#include <QToolTip>

#include <algorithm>

namespace {

// Room for the text in a row, as the style lays the row out: its text area
// less the margin the style keeps on either side of the text.
int textWidth(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget).width() -
           2 * margin;
}

} // namespace

QString ListLineDelegate::shownText(const QString& line, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(line) <= width)
        return line;
    // The value is what follows the last gap of two or more blanks.
    static const QRegularExpression lastGap(QStringLiteral(" {2,}[^ ]*$"));
    const qsizetype gap = lastGap.match(line).capturedStart();
    if (gap <= 0)
        return metrics.elidedText(line, Qt::ElideMiddle, width);
    const QString value = line.mid(gap);
    const int nameWidth = std::max(0, width - metrics.horizontalAdvance(value));
    return metrics.elidedText(line.left(gap), Qt::ElideMiddle, nameWidth) + value;
}

void ListLineDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = shownText(option->text, option->fontMetrics, textWidth(*option));
}

QSize ListLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QSize hint = QStyledItemDelegate::sizeHint(option, index);
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    return view ? QSize(std::min(hint.width(), view->viewport()->width()), hint.height()) : hint;
}

bool ListLineDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    const QString line = index.data(Qt::DisplayRole).toString();
    if (shown.text == line)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // A row's own tooltip (a problem the batch met) follows the whole line.
    QString tip = line;
    const QString own = index.data(Qt::ToolTipRole).toString();
    if (!own.isEmpty())
        tip += QLatin1Char('\n') + own;
    QToolTip::showText(event->globalPos(), tip, view->viewport(), view->visualRect(index));
    return true;
}
