#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

// A picture box: a persistent image with a user coordinate frame, a print
// position, a fore colour and a font. Points map linearly from the frame to
// pixels; whatever falls outside the image is clipped.
class Canvas {
public:
    // A text drawn by Print, kept so that tests can check texts and places.
    struct PrintedText {
        QString text;
        double x;
        double y;
        QPoint pixel;
        double fontSize;
        bool bold;
        QRgb color;
    };

    Canvas(int width, int height, QColor background, QColor foreground, const QFont& font);

    // The plot canvas: 601 x 289, white, black, Arial 8.25 pt.
    static Canvas plotCanvas();

    void Cls();
    void Scale(double x1, double y1, double x2, double y2);
    void PSet(double x, double y, QRgb color);
    void Line(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, QRgb color);
    void Print(const QString& text);

    double CurrentX() const { return m_currentX; }
    double CurrentY() const { return m_currentY; }
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }
    QRgb ForeColor() const { return m_foreColor; }
    void setForeColor(QRgb color) { m_foreColor = color; }
    double FontSize() const { return m_font.pointSizeF(); }
    void setFontSize(double points);
    bool FontBold() const { return m_font.bold(); }
    void setFontBold(bool bold) { m_font.setBold(bold); }

    // The persistent picture: everything drawn since the last Cls.
    const QImage& Image() const { return m_image; }

    // Pixel that a user point falls on (may lie outside the image).
    QPoint toPixel(double x, double y) const;
    double pixelX(double x) const;
    double pixelY(double y) const;

    // Texts printed since the last Cls, in order.
    const QList<PrintedText>& printedTexts() const { return m_printed; }
    // Points set since the last Cls, counting those clipped away.
    qint64 pointCount() const { return m_points; }

private:
    void drawLine(double x1, double y1, double x2, double y2, QRgb color);

    QImage m_image;
    QRgb m_background;
    QRgb m_foreColor;
    QFont m_font;
    double m_left = 0;
    double m_top = 0;
    double m_width;
    double m_height;
    double m_currentX = 0;
    double m_currentY = 0;
    QList<PrintedText> m_printed;
    qint64 m_points = 0;
};
