#include "app/frmLogViewer.h"

#include "platform/Screen.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Enough for a shift's scans; older records stay in the file.
constexpr int ShownLines = 20000;
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
    auto* layout = new QVBoxLayout(this);
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
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (file.size() < read_) {
        txtLog->clear();
        read_ = 0;
    }
    if (file.size() == read_ || !file.seek(read_))
        return;
    const QByteArray added = file.readAll();
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
