// Generates the exports of a fake library from an entry-point list: every listed function is
// exported under its own name; the ones the implementation class `Impl` provides (a static member
// of the same name) forward to it, the others fail as a missing feature would.
#pragma once

#include <windows.h>

#include <type_traits>

namespace fake {

template <class R>
R NotImplemented()
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    if constexpr (std::is_same_v<R, void>) {
        return;
    } else if constexpr (std::is_same_v<R, NTSTATUS>) {
        return static_cast<NTSTATUS>(0xC0110020); // HIDP_STATUS_NOT_IMPLEMENTED
    } else {
        return R{};
    }
}

} // namespace fake

#define FAKE_EXPORT(Impl, Ret, Name, Params, Args)         \
    template <class I>                                     \
    static Ret Name##_Dispatch Params                      \
    {                                                      \
        if constexpr (requires { I::Name Args; }) {        \
            return I::Name Args;                           \
        } else {                                           \
            return fake::NotImplemented<Ret>();            \
        }                                                  \
    }                                                      \
    extern "C" __declspec(dllexport) Ret NTAPI Name Params \
    {                                                      \
        return Name##_Dispatch<Impl> Args;                 \
    }
