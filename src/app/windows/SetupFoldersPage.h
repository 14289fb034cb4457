#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class StationSetup;

// The setup's folders: programs, list files, CSV companions in, the collecting CSV file out, and
// the folder drive C: stands for. Each is shown as the Linux folder it is; one typed or picked
// anew is saved as it is, a Linux path being used as it is. One left as shown keeps what the file
// has, so a Windows-form path from another station (C:\KARN\PRODUCT\) stays and follows C:.
class SetupFoldersPage : public QWidget {
    Q_OBJECT
public:
    explicit SetupFoldersPage(QWidget* parent = nullptr);

    void Show(const StationSetup& setup);
    // Puts the changed folders into setup; why one cannot be taken, or empty text.
    QString Take(StationSetup& setup) const;

private:
    enum Field { Programs, Lists, CsvIn, CsvOut, DriveC, FieldCount };
    // The text a field shows for a value of the file (or its default when the file has none).
    static QString shown(Field field, const QString& value);
    void browse(Field field);

    std::array<QLineEdit*, FieldCount> edits_{};
    std::array<QString, FieldCount> shownAtStart_;
};
