// TOcHidDeviceReadThread.
#include <algorithm>

#include "hid/OcHidControllerClass.h"

namespace hid {

namespace {

// True when this code runs inside a library loaded by another program rather than in the
// executable itself: a library's main thread may not serve synchronized calls.
bool RunsInLibrary()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&RunsInLibrary), &self);
    return self != nullptr && self != GetModuleHandleA(nullptr);
}

// How long a cancelled read may take to complete. Cancelling completes a read at once on the
// systems seen; this only bounds a driver that does not.
constexpr DWORD CancelCompletionLimitMs = 2000;

} // namespace

TOcHidDeviceReadThread::TOcHidDeviceReadThread(TOcHidDevice* device) : device_(device)
{
    HIDP_CAPS caps;
    device_->QueryCaps(caps);
    // Every read uses this buffer's length: it is the report length the device announced, and no
    // read may ever exceed the buffer.
    buffer_.assign(caps.InputReportByteLength, 0);
}

void CALLBACK TOcHidDeviceReadThread::ReadCompleted(DWORD, DWORD, LPOVERLAPPED)
{
    // Completion is noticed through the alertable wait that ends with WAIT_IO_COMPLETION.
}

bool TOcHidDeviceReadThread::WaitForRead()
{
    for (;;) {
        if (SleepEx(device_->ReaderSleepTime(), TRUE) == WAIT_IO_COMPLETION)
            return true;
        if (Terminated() || !device_->Plugged())
            return false;
    }
}

bool TOcHidDeviceReadThread::AbandonPendingRead()
{
    device_->CancelPendingIo(false);
    // The completion routine of the cancelled read is queued to this thread; take it now, so it
    // cannot end the wait for a later read before that read has completed.
    const DWORD start = GetTickCount();
    do {
        if (SleepEx(device_->ReaderSleepTime(), TRUE) == WAIT_IO_COMPLETION)
            return true;
    } while (GetTickCount() - start < CancelCompletionLimitMs);
    return false;
}

void TOcHidDeviceReadThread::Execute()
{
    const DWORD length = static_cast<DWORD>(buffer_.size());
    while (!Terminated()) {
        std::fill(buffer_.begin(), buffer_.end(), 0);
        if (device_->ReadReportAsync(buffer_.data(), length, &ReadCompleted)) {
            if (!WaitForRead()) {
                if (!AbandonPendingRead()) {
                    // The system may still own the read's buffer and overlap: closing the handle is
                    // the last means to end the read, and no further read may reuse them. The
                    // reader stops and says why.
                    device_->CloseOverlappedHandle(false);
                    errorCode_ = WAIT_TIMEOUT;
                    Deliver(&TOcHidDeviceReadThread::DeliverError);
                    break;
                }
                if (Terminated())
                    break;
                // The device went away: the read handle is this thread's to close.
                device_->CloseOverlappedHandle(false);
                continue;
            }
            bytesRead_ = device_->GetOverlappedBytes();
            if (bytesRead_ > 0)
                Deliver(&TOcHidDeviceReadThread::DeliverData);
            else if (!Terminated())
                SleepEx(device_->ReaderSleepTime(),
                        TRUE); // a failed read fails again at once: pace it
        } else {
            errorCode_ = GetLastError();
            if (!device_->Plugged())
                device_->CloseOverlappedHandle(false);
            Deliver(&TOcHidDeviceReadThread::DeliverError);
            // A refused request is refused again at once: pace the retries by the wait step, which
            // still ends early for a stop request at the step's end.
            if (!Terminated())
                SleepEx(device_->ReaderSleepTime(), TRUE);
        }
    }
}

void TOcHidDeviceReadThread::Deliver(void (TOcHidDeviceReadThread::*delivery)())
{
    static const bool inLibrary = RunsInLibrary();
    if (inLibrary && delivery == &TOcHidDeviceReadThread::DeliverData)
        (this->*delivery)();
    else
        Synchronize([this, delivery] { (this->*delivery)(); });
}

void TOcHidDeviceReadThread::DeliverData()
{
    // After a stop request the owner is waiting for this thread to end; what is still in flight
    // is not handed out any more, so a handler cannot run inside that wait.
    if (Terminated())
        return;
    const uint16_t size = static_cast<uint16_t>(static_cast<uint16_t>(bytesRead_) - 1);
    device_->DataHandler()(device_, buffer_[0], buffer_.data() + 1, size);
}

void TOcHidDeviceReadThread::DeliverError()
{
    if (Terminated())
        return;
    if (device_->OnDataError)
        device_->OnDataError(device_, errorCode_);
}

} // namespace hid
