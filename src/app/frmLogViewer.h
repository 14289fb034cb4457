#pragma once

#include <QWidget>

class QPlainTextEdit;
class QTimer;

// "Log": the program's log, newest at the end, following the file while it is open; its text
// can be selected and copied. A log that was rotated or removed is read anew.
class frmLogViewer : public QWidget {
    Q_OBJECT
public:
    frmLogViewer(const QString& path, QWidget* parent = nullptr);

    void ShowWindow();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Follow();

    QString path_;
    qint64 read_ = 0;
    QPlainTextEdit* txtLog;
    QTimer* timer_;
};
