#include "app/windows/frmLogViewer.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/RuntimeError.h"
#include "platform/windows/Screen.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Enough for a shift's scans; older records stay in the file.
constexpr int ShownLines = 20000;
// Rotation leaves the log missing for a moment; only a longer absence (in looks, 500 ms
// apart) is an error.
constexpr int MissingTicksTolerated = 4;
} // namespace

frmLogViewer::frmLogViewer(const QString& path, QWidget* parent) : QWidget(parent, Qt::Window), path_(path)
{
    setObjectName(QStringLiteral("frmLogViewer"));
    setWindowTitle(QStringLiteral("Tarvex Log"));
    txtLog = new QPlainTextEdit(this);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtLog->setMaximumBlockCount(ShownLines);
    txtLog->setFont(QFont(QStringLiteral("Monospace")));
    lblError = new QLabel(this);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setWordWrap(true);
    lblError->setStyleSheet(QStringLiteral("color: red"));
    lblError->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblError);
    layout->addWidget(txtLog);
    timer_ = new QTimer(this);
    timer_->setInterval(500);
    connect(timer_, &QTimer::timeout, this, &frmLogViewer::Follow);
    resize(620, 440); // fits a 1280 x 1024 screen at 200 %
}

void frmLogViewer::ShowWindow()
{
    Follow();
    Screen::BringToFront(*this);
    timer_->start();
}

void frmLogViewer::hideEvent(QHideEvent* event)
{
    timer_->stop();
    QWidget::hideEvent(event);
}

void frmLogViewer::Follow()
{
    const qint64 size = Files::Size(path_);
    if (size >= 0 && size < read_) {
        txtLog->clear();
        read_ = 0;
    }
    if (size >= 0 && size == read_) {
        missingTicks_ = 0;
        ShowReadError(QString());
        return;
    }
    QByteArray added;
    try {
        added = Files::ReadFrom(path_, read_);
    } catch (const RuntimeError& e) {
        if (e.Number() == RuntimeError::FileNotFound && ++missingTicks_ <= MissingTicksTolerated)
            return;
        ShowReadError(e.Description());
        return;
    }
    missingTicks_ = 0;
    ShowReadError(QString());
    // Only whole records: a line still being written waits for the next look.
    const qsizetype end = added.lastIndexOf('\n') + 1;
    if (end == 0)
        return;
    read_ += end;
    QScrollBar* bar = txtLog->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    txtLog->appendPlainText(QString::fromUtf8(added.left(end - 1)));
    if (atEnd)
        bar->setValue(bar->maximum());
}

void frmLogViewer::ShowReadError(const QString& error)
{
    if (error == readError_)
        return;
    readError_ = error;
    lblError->setVisible(!error.isEmpty());
    if (error.isEmpty())
        return;
    lblError->setText(QStringLiteral("The log cannot be read: %1").arg(error));
    Log::Warning(QStringLiteral("the log viewer cannot read the log: %1").arg(error));
}
