#pragma once
// Records the unhandled exceptions that reach the exception hooks while it lives, and takes
// them over, so no message box interrupts a test.
#include "windows/ExceptionHooks.h"

#include <mutex>
#include <string>
#include <vector>

class ExceptionRecorder {
public:
    struct Entry {
        classlib::ExceptionPath path;
        std::string message;
        classlib::TObject* sender;
    };

    ExceptionRecorder();
    ~ExceptionRecorder();
    ExceptionRecorder(const ExceptionRecorder&) = delete;
    ExceptionRecorder& operator=(const ExceptionRecorder&) = delete;

    std::vector<Entry> Entries() const;
    size_t Count() const;

private:
    mutable std::mutex lock_;
    std::vector<Entry> entries_;
    int hookId_;
};
