#pragma once

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/EventYield.h"
#include "platform/Platform.h"
#include "platform/Random.h"

#include <QImage>
#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Records every message instead of showing it; answers file dialogs from a script.
class FakeDialogs : public Dialogs {
public:
    struct Message {
        bool critical;
        QString text;
        MessageBox::Icon icon;
    };

    MessageAnswer show(const MessageBox& box) override;
    QString openFileName(const QString& title, const QString& filter, FileKind kind) override;
    void noteUsed(FileKind kind, const QString& path) override { used.append({kind, path}); }
    QList<std::pair<FileKind, QString>> used;
    QList<FileKind> kindsAsked;

    QList<Message> messages;
    QList<MessageBox> boxes; // every box shown, in full
    // Answers to boxes that ask something (buttons or a tick box), consumed
    // one per such box; when none is left the default button is chosen and
    // the tick box left alone.
    QList<MessageAnswer> answers;
    QStringList fileAnswers; // consumed one per dialog; empty list = cancel
    QStringList titlesAsked;
    QStringList filtersAsked;
    int dialogsShown = 0;
    // Runs inside a message, as the modal loop would let it.
    std::function<void(const Message&)> onMessage;

    QStringList criticalTexts() const;
    QStringList informationTexts() const;
    // The boxes that offered a choice of buttons.
    QList<MessageBox> questions() const;
};

class FakeClock : public Clock {
public:
    QDateTime now() const override { return current; }
    QDateTime current{QDate(2026, 3, 7), QTime(14, 5, 9)};
};

class FakeClipboard : public Clipboard {
public:
    void clear() override;
    bool setImage(const QImage& image) override;

    QImage image;
    int clears = 0;
    int sets = 0;
    bool failSet = false;
};

// Records the files it is asked to open.
class FakeDesktop : public Desktop {
public:
    bool openFile(const QString& path) override;

    QStringList opened;
    bool fail = false;
};

// Counts yields and can run a callback in each, like pending events would.
class CountingYield : public EventYield {
public:
    void yieldEvents() override;
    // Waits as the real one does, and counts it.
    void waitUntil(const std::function<bool()>& done) override {
        ++waits;
        EventYield::waitUntil(done);
    }

    int count = 0;
    int waits = 0;
    std::function<void(int)> onYield;
};

// A complete set of fakes with a seeded generator.
struct FakePlatform {
    FakeDialogs dialogs;
    FakeClock clock;
    MersenneRandom random{12345u};
    FakeClipboard clipboard;
    CountingYield yield;
    FakeDesktop desktop;
    // Empty at first, in a folder of its own: never the user's settings.
    QTemporaryDir settingsFolder;
    QSettings settings{settingsFolder.filePath(QStringLiteral("settings.ini")),
                       QSettings::IniFormat};

    Platform platform() {
        return {&dialogs, &clock, &random, &clipboard, &yield, &settings, &desktop};
    }
};
