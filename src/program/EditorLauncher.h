#pragma once

#include <QString>

class Configuration;
class ProcessStarter;

// `LaunchEditor`: shows the program just added in the control software's editor. The editor is
// started with the program file's path as its argument: that is how it is told to open a file,
// whether it is already running (it then shows the file in its window) or was closed since.
// Nothing here stops a scan: a failure is only logged.
class EditorLauncher {
public:
    static inline const QString EditorPath = QStringLiteral("c:\\veltra\\bin\\Pramix.exe");

    EditorLauncher(const Configuration& config, ProcessStarter& processes);

    // Opens GCodePath + the program's name (spaces around the name removed).
    void LaunchEditor(const QString& programName);

    // The process id of the editor last started, 0 before the first start.
    qint64 EditorTask() const { return editorTask_; }

private:
    const Configuration& config_;
    ProcessStarter& processes_;
    qint64 editorTask_ = 0;
};
