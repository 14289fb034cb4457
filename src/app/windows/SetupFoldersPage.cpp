#include "app/windows/SetupFoldersPage.h"

#include "app/StationSetup.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The defaults of the configuration, as the file would say them.
const char* const defaults[] = {"C:\\KARN\\PRODUCT\\", "C:\\KARN\\PRODUCT\\lsx\\", "C:\\", "C:\\Tarvex.csv", ""};
const char* const names[] = {"txtGCodePath", "txtListPath", "txtCSVInPath", "txtCSVOutPath", "txtDriveC"};
const char* const captions[] = {"&Programs:", "&List files:", "CSV &in:", "CSV &out (file):", "Drive &C: is:"};
// A value is read into 127 characters: a longer path would be cut.
constexpr int maxPathLength = 127;

bool isDrivePath(const QString& path)
{
    return path.size() >= 3 && path[0].isLetter() && path[1] == QLatin1Char(':') && path[2] == QLatin1Char('\\');
}
} // namespace

SetupFoldersPage::SetupFoldersPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SetupFoldersPage"));
    auto* intro = new QLabel(QStringLiteral("Where the station keeps its files. Folders typed or picked here are saved as "
                                            "Linux paths; those left as they are keep what ZEM.INI has. Paths of the "
                                            "Windows form (C:\\KARN\\PRODUCT\\, from another station or the defaults) "
                                            "lie in the folder drive C: stands for."),
                             this);
    intro->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow(intro);
    for (int i = 0; i < FieldCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(names[i]));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
        // A long path scrolls in its field; the tool tip has it whole.
        connect(edit, &QLineEdit::textChanged, edit, &QLineEdit::setToolTip);
        auto* pick = new QPushButton(QStringLiteral("…"), this);
        pick->setFixedWidth(pick->fontMetrics().horizontalAdvance(QStringLiteral("…")) * 4);
        pick->setObjectName(QStringLiteral("%1Browse").arg(QLatin1String(names[i])));
        pick->setToolTip(i == CsvOut ? QStringLiteral("Choose the file") : QStringLiteral("Choose the folder"));
        connect(pick, &QPushButton::clicked, this, [this, i] { browse(static_cast<Field>(i)); });
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(pick);
        auto* caption = new QLabel(QLatin1String(captions[i]), this);
        caption->setBuddy(edit);
        form->addRow(caption, row);
        edits_[static_cast<size_t>(i)] = edit;
    }
    auto* restart = new QLabel(QStringLiteral("Drive C: is read at start-up: a change to it takes effect after a restart "
                                              "of Tarvex. The folders take effect at once."),
                               this);
    restart->setObjectName(QStringLiteral("lblRestartFolders"));
    restart->setWordWrap(true);
    restart->setMinimumHeight(restart->fontMetrics().lineSpacing() * 2); // two lines whatever the width
    form->addRow(restart);
}

QString SetupFoldersPage::shown(Field field, const QString& value)
{
    if (field == DriveC)
        return value.trimmed().isEmpty() ? Paths::DriveRoot(QLatin1Char('C')) : value.trimmed();
    const QString text = value.trimmed().isEmpty() ? QLatin1String(defaults[field]) : value.trimmed();
    QString native = Paths::ToNative(text);
    // A folder is shown without the "/" the configuration appends.
    if (field != CsvOut && native.size() > 1 && native.endsWith(QLatin1Char('/')))
        native.chop(1);
    return native;
}

void SetupFoldersPage::Show(const StationSetup& setup)
{
    const QString values[] = {setup.gcodePath, setup.listPath, setup.csvInPath, setup.csvOutPath, setup.driveC};
    for (int i = 0; i < FieldCount; ++i) {
        shownAtStart_[static_cast<size_t>(i)] = shown(static_cast<Field>(i), values[i]);
        edits_[static_cast<size_t>(i)]->setText(shownAtStart_[static_cast<size_t>(i)]);
    }
}

QString SetupFoldersPage::Take(StationSetup& setup) const
{
    QString* targets[] = {&setup.gcodePath, &setup.listPath, &setup.csvInPath, &setup.csvOutPath, &setup.driveC};
    for (int i = 0; i < FieldCount; ++i) {
        const QString text = edits_[static_cast<size_t>(i)]->text().trimmed();
        if (text == shownAtStart_[static_cast<size_t>(i)])
            continue;
        const QString what = QString(QLatin1String(captions[i])).remove(QLatin1Char('&')).chopped(1);
        if (text.isEmpty())
            return QStringLiteral("%1 cannot be empty.").arg(what);
        // A Linux path is used as it is, but every "\" in it would become "/".
        const bool linuxPath = text.startsWith(QLatin1Char('/')) && !text.contains(QLatin1Char('\\'));
        if (!linuxPath && (i == DriveC || !isDrivePath(text)))
            return QStringLiteral("%1 must be a full Linux path (/srv/cnc/…) without \"\\\".").arg(what);
        if (text.size() > maxPathLength)
            return QStringLiteral("%1 is longer than %2 characters, which ZEM.INI keeps.").arg(what).arg(maxPathLength);
        // A list file's name is put right after its folder: both folders end in their separator.
        const QChar separator = linuxPath ? QLatin1Char('/') : QLatin1Char('\\');
        *targets[i] = (i == Programs || i == Lists) && !text.endsWith(separator) ? text + separator : text;
    }
    return QString();
}

void SetupFoldersPage::browse(Field field)
{
    QLineEdit* edit = edits_[static_cast<size_t>(field)];
    const QString start = edit->text().trimmed();
    const QString chosen = field == CsvOut
                               ? QFileDialog::getSaveFileName(this, QStringLiteral("The collecting CSV file"), start,
                                                              QStringLiteral("CSV files (*.csv);;All files (*)"), nullptr,
                                                              QFileDialog::DontConfirmOverwrite)
                               : QFileDialog::getExistingDirectory(this, QStringLiteral("Choose the folder"), start);
    if (!chosen.isEmpty())
        edit->setText(QDir::cleanPath(chosen));
}
