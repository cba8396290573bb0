#pragma once

#include <QStyledItemDelegate>

// Shows the import list's lines, a name and a value joined by a gap of blanks
// ("1扇区      1.18"), so that the value stays in view: a name too long for the
// list is shortened in its middle, and the whole line is the row's tooltip.
// The items keep their whole text.
class ListLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The line as a row of the given width and font shows it.
    static QString shownText(const QString& line, const QFontMetrics& metrics, int width);

    // As wide as the list: lines never make it scroll sideways.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
