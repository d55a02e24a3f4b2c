#include "windows/StreamAdapter.h"

#include "core/Exceptions.h"
#include "core/Streams.h"

#include <cstring>

namespace classlib {

namespace {

bool SameGuid(REFIID a, REFIID b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

} // namespace

HRESULT TStreamAdapter::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (SameGuid(iid, IID_IUnknown) || SameGuid(iid, IID_ISequentialStream) ||
        SameGuid(iid, IID_IStream)) {
        *object = static_cast<IStream*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The stream's exceptions do not travel through the system's frames: they become error codes.
HRESULT TStreamAdapter::Read(void* buffer, ULONG count, ULONG* read)
{
    try {
        const int64_t got = stream_.Read(buffer, count);
        if (read)
            *read = static_cast<ULONG>(got);
        return got == count ? S_OK : S_FALSE;
    } catch (const Exception&) {
        return STG_E_READFAULT;
    }
}

HRESULT TStreamAdapter::Write(const void* buffer, ULONG count, ULONG* written)
{
    try {
        const int64_t put = stream_.Write(buffer, count);
        if (written)
            *written = static_cast<ULONG>(put);
        return put == count ? S_OK : STG_E_MEDIUMFULL;
    } catch (const Exception&) {
        return STG_E_WRITEFAULT;
    }
}

HRESULT TStreamAdapter::Seek(LARGE_INTEGER offset, DWORD origin, ULARGE_INTEGER* position)
{
    if (origin > STREAM_SEEK_END)
        return STG_E_INVALIDFUNCTION;
    try {
        static const TSeekOrigin kOrigins[] = {soBeginning, soCurrent, soEnd};
        const int64_t at = stream_.Seek(offset.QuadPart, kOrigins[origin]);
        if (position)
            position->QuadPart = static_cast<ULONGLONG>(at);
        return S_OK;
    } catch (const Exception&) {
        return STG_E_INVALIDPOINTER;
    }
}

HRESULT TStreamAdapter::SetSize(ULARGE_INTEGER size)
{
    try {
        stream_.SetSize(static_cast<int64_t>(size.QuadPart));
        return S_OK;
    } catch (const Exception&) {
        return E_FAIL;
    }
}

HRESULT TStreamAdapter::Stat(STATSTG* stat, DWORD)
{
    if (!stat)
        return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(stream_.Size());
    return S_OK;
}

} // namespace classlib
