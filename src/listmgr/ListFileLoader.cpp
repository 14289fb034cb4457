#include "listmgr/ListFileLoader.h"

#include "config/Configuration.h"
#include "config/StatusLine.h"
#include "listmgr/ListManager.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/RuntimeError.h"

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
    int error = 0;
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
        Log::Warning(QStringLiteral("list file %1 not opened (error %2: %3)").arg(Log::Printable(path)).arg(error).arg(e.Description()));
    }
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
