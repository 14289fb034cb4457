#include "app/windows/SetupScannerPage.h"

#include "app/StationSetup.h"
#include "config/windows/SerialDeviceList.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include <utility>

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
    : QWidget(parent), presentDevices_(std::move(presentDevices))
{
    setObjectName(QStringLiteral("SetupScannerPage"));
    // Refreshed while shown, by-id names whole, a path may be typed: the serial settings' own list.
    lstScannerDevice = new SerialDeviceList(this, presentDevices_);
    lstScannerDevice->setObjectName(QStringLiteral("lstScannerDevice"));
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
    form->addRow(QStringLiteral("&Device:"), lstScannerDevice);
    form->addRow(QStringLiteral("&Baud rate:"), cboBaud);
    form->addRow(QStringLiteral("&Parity:"), cboParity);
    form->addRow(QStringLiteral("D&ata bits:"), cboDataBits);
    form->addRow(QStringLiteral("&Stop bits:"), cboStopBits);
    form->addRow(QStringLiteral("The scanner &ends each code with:"), cboSuffix);
    // Its caption's shortcut reaches the box inside.
    lstScannerDevice->setFocusProxy(lstScannerDevice->findChild<QComboBox*>());
}

void SetupScannerPage::Show(const StationSetup& setup)
{
    lstScannerDevice->SetDevice(setup.device.isEmpty() && presentDevices_ ? presentDevices_().value(0) : setup.device);
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
    const QString device = lstScannerDevice->Device();
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
