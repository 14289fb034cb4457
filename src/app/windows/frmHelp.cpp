#include "app/windows/frmHelp.h"

#include "platform/Log.h"
#include "platform/windows/Screen.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const QString GuideResource = QStringLiteral(":/operator-guide.html");
} // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Tarvex Operator's Guide"));
    txtGuide = new QTextBrowser(this);
    txtGuide->setObjectName(QStringLiteral("txtGuide"));
    txtGuide->setOpenExternalLinks(false);
    QFile guide(GuideResource);
    if (guide.open(QIODevice::ReadOnly)) {
        txtGuide->setHtml(QString::fromUtf8(guide.readAll()));
    } else {
        Log::Warning(QStringLiteral("operator's guide %1 missing from this build").arg(GuideResource));
        txtGuide->setPlainText(QStringLiteral("The operator's guide is missing from this build."));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtGuide);
    resize(600, 470); // fits a 1280 x 1024 screen at 200 %
}

void frmHelp::ShowWindow()
{
    Screen::BringToFront(*this);
}
