#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>

#include <sys/types.h>

// The open file behind the log. It stays open between records: opening, seeking and closing it
// for each one cost more than a whole label's dispatch. Before each record the path is looked at
// once, so a log that was removed or rotated, or a data folder that changed, gets a new file
// instead of records going into a file nobody can see.
class LogFile {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    // Appends line to the log file (Log::FilePath()); a failure is told on standard error when
    // complain is set.
    void Write(const QByteArray& line, bool complain);

private:
    bool IsCurrent(const QString& path) const;
    bool Open(const QString& path);
    void Close();

    std::mutex mutex_;
    int fd_ = -1;
    QString path_;
    QByteArray encodedPath_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
