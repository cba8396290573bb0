#pragma once

#include <QImage>

// The system clipboard, as far as the program uses it.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // Returns false when the picture could not be placed.
    virtual bool setImage(const QImage& image) = 0;
};

class QtClipboard : public Clipboard {
public:
    void clear() override;
    bool setImage(const QImage& image) override;
};
