#include "QorReportActions.h"

#include <mutex>
#include <utility>

namespace qor {

namespace {

std::mutex actionsLock;

ReportActions& Table()
{
    static ReportActions table;
    return table;
}

} // namespace

void SetReportActions(ReportActions actions)
{
    std::lock_guard<std::mutex> guard(actionsLock);
    Table() = std::move(actions);
}

ReportActions RegisteredReportActions()
{
    std::lock_guard<std::mutex> guard(actionsLock);
    return Table();
}

} // namespace qor
