#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>

#include <sys/types.h>

// The open file behind the log. It stays open between records: opening, seeking and closing it
// for each one cost more than a whole label's dispatch. Before each record the path is looked at
// once, so a log that was removed or rotated, or a data folder that changed, gets a new file
// instead of records going into a file nobody can see.
//
// A record that would take the file past the size limit first rotates it: tarvex.log becomes
// tarvex.log.1, .1 becomes .2 and so on, the oldest of the kept files is dropped, and the record
// starts a new tarvex.log. When a file cannot be renamed (a folder that is not writable) the
// rotation stops there: the files already moved stay moved (the oldest may be gone), records go
// on into the file they went to, and the failure is told once. The rotation is tried again each
// time the file has grown by another tenth of the limit, so a folder made writable again gets a
// rotated log. When the new tarvex.log cannot be created, the log is renamed back from tarvex.log.1.
class LogFile {
public:
    static constexpr qint64 DefaultLimit = 1024 * 1024;
    static constexpr int DefaultKeep = 3;

    // limit: the size in bytes a file may reach; keep: how many old files (.1 to .keep) stay;
    // path: the file (native), or empty for the log's own, Log::FilePath().
    explicit LogFile(qint64 limit = DefaultLimit, int keep = DefaultKeep, QString path = QString());
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    // Appends line to the file; false when it could not, which is also told on standard error
    // when complain is set.
    bool Write(const QByteArray& line, bool complain);

    // Why the log could not be rotated, once after it happened (for a record of its own); empty
    // otherwise.
    QString TakeRotationFailure();

private:
    bool IsCurrent(const QString& path);
    bool Open(const QString& path);
    void Rotate(const QString& path);
    void Close();

    const qint64 limit_;
    const int keep_;
    const QString fixedPath_;
    std::mutex mutex_;
    int fd_ = -1;
    QString path_;
    QByteArray encodedPath_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    qint64 size_ = 0;
    void rotationFailed(const QString& why);

    qint64 retryRotationAt_ = 0; // after a failed rotation: the size at which it is tried again
    bool rotationFailureTold_ = false; // until a rotation succeeds
    QString rotationFailure_;
};
