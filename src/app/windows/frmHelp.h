#pragma once

#include <QWidget>

class QTextBrowser;

// "Tarvex Operator's Guide": what each kind of label does and what the window shows, from the
// guide shipped with the program.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
    void ShowWindow();

private:
    QTextBrowser* txtGuide;
};
