#include "app/windows/SetupScannerPage.h"

#include "app/StationSetup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QTimer>

namespace {
const QStringList bauds{QStringLiteral("300"),   QStringLiteral("1200"),  QStringLiteral("2400"),  QStringLiteral("4800"),
                        QStringLiteral("9600"),  QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600")};
const QString parityLetters = QStringLiteral("NOE");

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

// Selects the item, or adds it when it is none of them, so that a value the list lacks is kept.
void choose(QComboBox* box, const QString& text)
{
    int index = box->findText(text);
    if (index < 0) {
        box->addItem(text);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}
} // namespace

const QStringList SetupScannerPage::SuffixKeys{QString(), QStringLiteral("CR"), QStringLiteral("LF"), QStringLiteral("CRLF"),
                                               QStringLiteral("TAB")};
const QStringList SetupScannerPage::SuffixTexts{QStringLiteral("nothing"), QStringLiteral("CR"), QStringLiteral("LF"),
                                                QStringLiteral("CR LF"), QStringLiteral("Tab")};

SetupScannerPage::SetupScannerPage(std::function<QStringList()> presentDevices, QWidget* parent)
    : QWidget(parent), presentDevices_(std::move(presentDevices)), refresh_(new QTimer(this))
{
    setObjectName(QStringLiteral("SetupScannerPage"));
    cboScannerDevice = combo(this, "cboScannerDevice", {});
    cboScannerDevice->setEditable(true);
    cboScannerDevice->setInsertPolicy(QComboBox::NoInsert);
    cboScannerDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboScannerDevice->setMinimumContentsLength(24);
    cboScannerDevice->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyACM0"));
    connect(cboScannerDevice, &QComboBox::currentTextChanged, cboScannerDevice, &QComboBox::setToolTip);
    cboBaud = combo(this, "cboBaud", bauds);
    cboParity = combo(this, "cboParity", {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even")});
    cboDataBits = combo(this, "cboDataBits", {QStringLiteral("7"), QStringLiteral("8")});
    cboStopBits = combo(this, "cboStopBits", {QStringLiteral("1"), QStringLiteral("2")});
    cboSuffix = combo(this, "cboSuffix", SuffixTexts);

    auto* intro = new QLabel(QStringLiteral("The serial device of the barcode scanner and its line settings, as set on the "
                                            "scanner. Devices are listed as they come and go; a path can be typed."),
                             this);
    intro->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow(intro);
    form->addRow(QStringLiteral("&Device:"), cboScannerDevice);
    form->addRow(QStringLiteral("&Baud rate:"), cboBaud);
    form->addRow(QStringLiteral("&Parity:"), cboParity);
    form->addRow(QStringLiteral("D&ata bits:"), cboDataBits);
    form->addRow(QStringLiteral("&Stop bits:"), cboStopBits);
    form->addRow(QStringLiteral("The scanner &ends each code with:"), cboSuffix);

    // A scanner plugged in while the page is open shows up without reopening it.
    refresh_->setInterval(1000);
    connect(refresh_, &QTimer::timeout, this, &SetupScannerPage::refreshDevices);
}

void SetupScannerPage::Show(const StationSetup& setup)
{
    refreshDevices();
    cboScannerDevice->setCurrentText(setup.device.isEmpty() ? shownDevices_.value(0) : setup.device);
    // Read by position as the serial settings dialog reads it: "9600,N,8,1".
    const QString settings = setup.serialSettings.isEmpty() ? QStringLiteral("9600,N,8,1") : setup.serialSettings;
    const QStringList parts = settings.split(QLatin1Char(','));
    choose(cboBaud, parts.value(0, QStringLiteral("9600")).trimmed());
    const QString parity = parts.value(1).trimmed().toUpper();
    cboParity->setCurrentIndex(qMax(0, parity.isEmpty() ? 0 : parityLetters.indexOf(parity.front())));
    choose(cboDataBits, parts.value(2, QStringLiteral("8")).trimmed());
    choose(cboStopBits, parts.value(3, QStringLiteral("1")).trimmed());
    cboSuffix->setCurrentIndex(qMax(0, SuffixKeys.indexOf(setup.scanSuffix.trimmed().toUpper())));
}

QString SetupScannerPage::Take(StationSetup& setup) const
{
    const QString device = cboScannerDevice->currentText().trimmed();
    if (device.isEmpty())
        return QStringLiteral("Choose the scanner's device, or type its path.");
    if (!device.startsWith(QLatin1Char('/')))
        return QStringLiteral("The scanner's device is a path such as /dev/ttyACM0.");
    bool ok = false;
    const int baud = cboBaud->currentText().toInt(&ok);
    if (!ok || baud <= 0)
        return QStringLiteral("The baud rate must be a number.");
    setup.device = device;
    setup.serialSettings = QStringLiteral("%1,%2,%3,%4")
                               .arg(baud)
                               .arg(parityLetters.at(cboParity->currentIndex()))
                               .arg(cboDataBits->currentText(), cboStopBits->currentText());
    setup.scanSuffix = SuffixKeys.value(cboSuffix->currentIndex());
    return QString();
}

void SetupScannerPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshDevices();
    refresh_->start();
}

void SetupScannerPage::hideEvent(QHideEvent* event)
{
    refresh_->stop();
    QWidget::hideEvent(event);
}

void SetupScannerPage::refreshDevices()
{
    const QStringList present = presentDevices_ ? presentDevices_() : QStringList();
    if (present == shownDevices_)
        return;
    shownDevices_ = present;
    // What is typed or chosen stays, whether or not its device is there now.
    const QString typed = cboScannerDevice->currentText();
    cboScannerDevice->clear();
    cboScannerDevice->addItems(present);
    // The list shows the by-id names whole, however narrow the field.
    int widest = 0;
    for (int i = 0; i < cboScannerDevice->count(); ++i) {
        cboScannerDevice->setItemData(i, cboScannerDevice->itemText(i), Qt::ToolTipRole);
        widest = qMax(widest, cboScannerDevice->fontMetrics().horizontalAdvance(cboScannerDevice->itemText(i)));
    }
    cboScannerDevice->view()->setTextElideMode(Qt::ElideNone);
    cboScannerDevice->view()->setMinimumWidth(widest + 2 * cboScannerDevice->fontMetrics().averageCharWidth() + 16);
    cboScannerDevice->setCurrentText(typed);
}
