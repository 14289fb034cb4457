#include "config/windows/SerialDeviceList.h"

#include "platform/SerialDevices.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>

#include <utility>

namespace {
const QString absentMark = QStringLiteral(" (not present)");
}

SerialDeviceList::SerialDeviceList(QWidget* parent, Source present) : QWidget(parent)
{
    setObjectName(QStringLiteral("SerialDeviceList"));
    cboDevice = new QComboBox(this);
    cboDevice->setObjectName(QStringLiteral("cboDevice"));
    cboDevice->setEditable(true);
    cboDevice->setInsertPolicy(QComboBox::NoInsert);
    // The names by id are long and differ only at their end: the list opens as wide as the
    // longest, uncut, and the tool tip holds the one chosen; the box itself takes the width it
    // is given, so that the dialog still fits a small screen.
    cboDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboDevice->setMinimumContentsLength(40);
    cboDevice->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cboDevice->view()->setTextElideMode(Qt::ElideNone);
    cboDevice->lineEdit()->setPlaceholderText(QStringLiteral("a device, e.g. /dev/ttyUSB0"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(cboDevice);
    connect(cboDevice, &QComboBox::currentTextChanged, this, &SerialDeviceList::textChanged);
    poll_.setInterval(1000);
    connect(&poll_, &QTimer::timeout, this, &SerialDeviceList::Refresh);
    SetSource(std::move(present));
}

void SerialDeviceList::SetSource(Source present)
{
    present_ = present ? std::move(present) : Source([] { return SerialDevices().Present(); });
    Refresh();
}

void SerialDeviceList::SetDevice(const QString& device)
{
    kept_ = device.trimmed();
    rebuild(shown_);
    const int index = cboDevice->findData(kept_);
    if (index >= 0)
        cboDevice->setCurrentIndex(index);
    else
        cboDevice->setEditText(kept_);
    textChanged();
}

QString SerialDeviceList::Device() const
{
    const QString text = cboDevice->currentText().trimmed();
    const int index = cboDevice->findText(text, Qt::MatchExactly);
    return index >= 0 ? cboDevice->itemData(index).toString() : text;
}

void SerialDeviceList::Refresh()
{
    const QStringList present = present_();
    // An unchanged list is left alone: the operator may be typing or have the list open.
    if (present != shown_ || cboDevice->count() == 0)
        rebuild(present);
}

void SerialDeviceList::rebuild(const QStringList& present)
{
    const QString text = cboDevice->currentText();
    const int index = cboDevice->findText(text, Qt::MatchExactly);
    const QString chosen = index >= 0 ? cboDevice->itemData(index).toString() : QString();
    rebuilding_ = true;
    shown_ = present;
    cboDevice->clear();
    // The device given and the one chosen stay listed when they are gone, marked by what is there
    // now, not by the list: a device may be present under a name the list does not use (a
    // pseudo-terminal, a link of one's own).
    for (const QString& device : {kept_, chosen}) {
        if (!device.isEmpty() && !present.contains(device) && cboDevice->findData(device) < 0)
            cboDevice->addItem(SerialDevices::Exists(device) ? device : device + absentMark, device);
    }
    for (const QString& device : present)
        cboDevice->addItem(device, device);
    int widest = 0;
    for (int i = 0; i < cboDevice->count(); ++i) {
        cboDevice->setItemData(i, cboDevice->itemData(i), Qt::ToolTipRole);
        widest = qMax(widest, cboDevice->fontMetrics().horizontalAdvance(cboDevice->itemText(i)));
    }
    // The list opens as wide as its longest name (the box may be narrower).
    cboDevice->view()->setMinimumWidth(widest + 2 * cboDevice->view()->frameWidth() +
                                       cboDevice->view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);
    // What was chosen stays chosen (under its new mark when its presence changed); typed text stays.
    const int again = chosen.isEmpty() ? -1 : cboDevice->findData(chosen);
    if (again >= 0)
        cboDevice->setCurrentIndex(again);
    else
        cboDevice->setEditText(text);
    rebuilding_ = false;
    if (Device() != (chosen.isEmpty() ? text.trimmed() : chosen))
        textChanged();
    else
        cboDevice->setToolTip(Device());
}

void SerialDeviceList::textChanged()
{
    if (rebuilding_)
        return;
    const QString device = Device();
    cboDevice->setToolTip(device.isEmpty() ? QStringLiteral("The serial device this port opens (saved in section [Ports])")
                                           : device);
    Q_EMIT DeviceChanged(device);
}

void SerialDeviceList::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Refresh();
    poll_.start();
}

void SerialDeviceList::hideEvent(QHideEvent* event)
{
    poll_.stop();
    QWidget::hideEvent(event);
}
