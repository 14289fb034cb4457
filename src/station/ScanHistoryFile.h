#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class ScanHistory;

// The scan history kept across restarts, in scan-history.json beside the log. Each change is
// written shortly after it (one write for a burst of changes, never inside a scan's steps),
// atomically, so a crash or a full disk leaves the last good file. At start-up the earlier
// run's entries are read back below a line that marks the restart; a file that cannot be used
// (damaged, too large, not a regular file) is ignored with one log record.
class ScanHistoryFile : public QObject {
    Q_OBJECT
public:
    // Far above 200 entries of cut texts; a larger file is not ours, or damaged.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
    // How long after a change the file is written.
    static constexpr int WriteDelayMs = 500;

    static QString DefaultPath();

    explicit ScanHistoryFile(ScanHistory& history, QString path = DefaultPath(), QObject* parent = nullptr);

    // Reads the earlier run's entries into the history, then follows its changes.
    void Load();
    // Writes at once what waits to be written (at shutdown).
    void Flush();

    const QString& Path() const { return path_; }

Q_SIGNALS:
    // A write failed; the text says why, for the status line (the log has it already). Told
    // again only after a write has succeeded.
    void WriteFailed(const QString& text);

private:
    void changed();
    void write();

    ScanHistory& history_;
    QString path_;
    QTimer delay_;
    bool pending_ = false;
    bool failing_ = false;
};
