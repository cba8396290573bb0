#pragma once

#include <QString>

// The desktop's own programs, as far as the program uses them.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens a file in the program the desktop uses for its type; false when
    // none could be started.
    virtual bool openFile(const QString& path) = 0;
};

class QtDesktop : public Desktop {
public:
    bool openFile(const QString& path) override;
};
