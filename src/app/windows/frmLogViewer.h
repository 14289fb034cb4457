#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QTimer;

// "Log": the program's log, newest at the end, following the file while it is open; its text
// can be selected and copied. A log that was rotated or removed is read anew. A log that cannot
// be read is named above the text and logged once.
class frmLogViewer : public QWidget {
    Q_OBJECT
public:
    frmLogViewer(const QString& path, QWidget* parent = nullptr);

    void ShowWindow();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Follow();
    void ShowReadError(const QString& error);

    QString path_;
    qint64 read_ = 0;
    int missingTicks_ = 0;
    QString readError_; // the one last shown and logged
    QLabel* lblError;
    QPlainTextEdit* txtLog;
    QTimer* timer_;
};
