#pragma once

class Dialogs;
class Clock;
class Random;
class Clipboard;
class Desktop;
class EventYield;
class QSettings;

// The outside services a window uses, handed in so that tests can replace them.
// The pointers are not owned.
struct Platform {
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
    Random* random = nullptr;
    Clipboard* clipboard = nullptr;
    EventYield* yield = nullptr;
    QSettings* settings = nullptr; // what the user chose, kept between runs
    Desktop* desktop = nullptr;
};
