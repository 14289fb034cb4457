#include "platform/windows/WidgetMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

MessageBoxes::Answer WidgetMessageBoxes::Ask(const QString& text, Icon icon, Buttons buttons, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    QAbstractButton* retry = nullptr;
    QAbstractButton* cont = nullptr;
    QAbstractButton* quit = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    case Buttons::RetryContinueExit:
        retry = box.addButton(QStringLiteral("&Retry"), QMessageBox::AcceptRole);
        cont = box.addButton(QStringLiteral("&Continue without list manager"), QMessageBox::RejectRole);
        quit = box.addButton(QStringLiteral("E&xit"), QMessageBox::DestructiveRole);
        box.setDefaultButton(qobject_cast<QPushButton*>(retry));
        box.setEscapeButton(cont);
        break;
    case Buttons::KeepWaitingGoOnExit:
        retry = box.addButton(QStringLiteral("&Keep waiting"), QMessageBox::AcceptRole);
        cont = box.addButton(QStringLiteral("&Go on, connect in the background"), QMessageBox::RejectRole);
        quit = box.addButton(QStringLiteral("E&xit Tarvex"), QMessageBox::DestructiveRole);
        box.setDefaultButton(qobject_cast<QPushButton*>(retry));
        box.setEscapeButton(cont);
        break;
    }
    const int result = box.exec();
    if (buttons == Buttons::RetryContinueExit || buttons == Buttons::KeepWaitingGoOnExit) {
        if (box.clickedButton() == retry)
            return Answer::Retry;
        if (box.clickedButton() == quit)
            return Answer::Exit;
        return Answer::Continue;
    }
    switch (result) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return Answer::Cancel;
    }
}
