#pragma once

#include <QLabel>

// A one-line label that shows a text too long for it with its middle left
// out ("/home/user/…/book.xlsx"); text() is still the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The text as the label shows it in its present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
