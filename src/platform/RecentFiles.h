#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The files of each kind the user used last, most recent first, and so the
// folder to start looking in; kept in the settings between runs.
class RecentFiles {
public:
    enum class Kind { Workbook, Document };
    static constexpr int kKept = 8;

    explicit RecentFiles(QSettings& settings) : m_settings(settings) {}

    // The folder of the file used last, or an empty string.
    QString folder(Kind kind) const;
    // The files used last that are still there.
    QStringList files(Kind kind) const;
    void remember(Kind kind, const QString& path);

private:
    QSettings& m_settings;
};
