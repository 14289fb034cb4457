#include "program/EditorLauncher.h"

#include "config/Configuration.h"
#include "config/Spaces.h"
#include "platform/FileSearch.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/ProcessStarter.h"

#include <QFileInfo>

EditorLauncher::EditorLauncher(const Configuration& config, ProcessStarter& processes)
    : config_(config), processes_(processes)
{
}

void EditorLauncher::LaunchEditor(const QString& programName)
{
    const QString name = Spaces::Trim(programName);
    if (!Paths::IsSafeRelativeName(name)) {
        Log::Warning(QStringLiteral("editor not started: program name %1 is not a file in the program folder").arg(Log::Printable(name)));
        return;
    }
    // Absolute, so that no program name can ever read as an option of the editor.
    const QString native = FileSearch::ResolveCase(Paths::ToNative(config_.GCodePath + name));
    const QString file = QFileInfo(native).absoluteFilePath();
    const QString editor = Paths::ToNative(EditorPath);
    const bool running = processes_.IsRunning(editorTask_);

    QString error;
    const qint64 task = processes_.Start(editor, {file}, error);
    if (task == 0) {
        Log::Warning(QStringLiteral("editor not started for %1: %2").arg(file, error));
        return;
    }
    if (running)
        Log::Info(QStringLiteral("editor %1 asked to open %2 while process %3 still runs (new process %4)")
                      .arg(editor, file)
                      .arg(editorTask_)
                      .arg(task));
    else
        Log::Info(QStringLiteral("editor %1 started for %2 (process %3)").arg(editor, file).arg(task));
    editorTask_ = task;
}
