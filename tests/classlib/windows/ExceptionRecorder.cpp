#include "ExceptionRecorder.h"

ExceptionRecorder::ExceptionRecorder()
{
    hookId_ = classlib::AddExceptionHook([this](const classlib::UnhandledException& report) {
        std::lock_guard<std::mutex> guard(lock_);
        entries_.push_back(
            {report.path, classlib::ExceptionMessage(report.exception), report.sender});
        return true;
    });
}

ExceptionRecorder::~ExceptionRecorder()
{
    classlib::RemoveExceptionHook(hookId_);
}

std::vector<ExceptionRecorder::Entry> ExceptionRecorder::Entries() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return entries_;
}

size_t ExceptionRecorder::Count() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return entries_.size();
}
