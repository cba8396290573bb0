#pragma once

#include <QCoreApplication>

// The command line's own texts are written in English here and translated
// into Chinese for a Chinese locale: CliText::tr("...").
class CliText {
    Q_DECLARE_TR_FUNCTIONS(CliText)
};
