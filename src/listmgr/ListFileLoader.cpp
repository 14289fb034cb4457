#include "listmgr/ListFileLoader.h"

#include "config/Configuration.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/RuntimeError.h"
#include "station/StatusLine.h"

ListFileLoader::ListFileLoader(Configuration& config, ListManagerLink& link, MessageBoxes& boxes, StatusLine& status)
    : config_(config), link_(link), boxes_(boxes), status_(status)
{
}

QString ListFileLoader::ListFilePath(const QString& name) const
{
    return config_.ListPath + name + QStringLiteral(".LST");
}

bool ListFileLoader::LoadListFile(const QString& name)
{
    const QString path = ListFilePath(name);
    const QString outside = ListLine::FolderRefusal(name, QStringLiteral("list"));
    if (!outside.isEmpty()) {
        status_.ReportTrouble(QStringLiteral("List file refused: %1.").arg(outside),
                              QStringLiteral("list file %1 not opened: %2 (list folder %3)").arg(Log::Printable(path), outside, config_.ListPath));
        status_.ShowReady();
        status_.HideIndicators();
        return false;
    }
    int error = 0;
    QString description;
    try {
        if (!link_.ListApp)
            throw RuntimeError(RuntimeError::ObjectNotSet, QStringLiteral("running without the list manager"));
        link_.ListApp->OpenList(path);
        status_.Outcome(QStringLiteral("list loaded: %1").arg(Log::Printable(path)));
        // The list is loaded: nothing of this scan is pending any more.
        status_.HideIndicators();
        return false;
    } catch (const RuntimeError& e) {
        error = e.Number();
        description = e.Description();
        Log::Warning(QStringLiteral("list file %1 not opened (error %2: %3)").arg(Log::Printable(path)).arg(error).arg(e.Description()));
    }
    if (error == RuntimeError::PathFileAccessError)
        // The file is there but cannot be taken (too large, a line that must not reach the
        // machine, no regular file): the operator must see why.
        status_.ReportTrouble(QStringLiteral("List file %1 not loaded: %2").arg(Log::Printable(path), Log::Printable(description)),
                              QStringLiteral("list file %1 refused").arg(Log::Printable(path)));
    else
        status_.Refusal(error == RuntimeError::FileNotFound
                            ? QStringLiteral("list file %1 not found").arg(Log::Printable(path))
                            : QStringLiteral("list file %1 not loaded (error %2)").arg(Log::Printable(path)).arg(error));
    status_.ShowReady();
    if (error == RuntimeError::FileNotFound)
        boxes_.Show(QStringLiteral("List File ") + path + QStringLiteral(" Not Found"), MessageBoxes::Icon::Warning,
                    MessageBoxes::Buttons::Ok, MessageBoxes::ApplicationTitle);
    status_.HideIndicators();
    return false;
}
