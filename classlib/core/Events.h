#pragma once
// Method-reference events: a receiver object plus the code of one of its member functions.
// An event is "assigned" when its code part is set; two events compare equal when their code
// parts are equal, whatever their receivers are (so a handler can be recognised and removed
// from any instance).
//
//   TNotifyEvent OnClick;                         // void(TObject* Sender)
//   OnClick = TNotifyEvent(this, &TMyForm::ButtonClick);
//   if (OnClick) OnClick(this);
//
// `TMethod` is the untyped form the reflection and the component streams use; a `TEvent` is
// built from one only when the code's signature matches.
#include "core/Exceptions.h"
#include "core/Object.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <typeindex>
#include <type_traits>
#include <typeinfo>

namespace classlib {

// The code part of a method reference. One instance exists per member function (interned),
// so comparing code parts compares pointers.
class TMethodCode {
public:
    virtual ~TMethodCode() = default;
    // The function type of the handler, e.g. typeid(void(TObject*)).
    virtual std::type_index Signature() const = 0;
    // The receiver pointer to store beside this code for `object` (nullptr when the object is
    // not of the class the code belongs to); used when handlers are bound by name.
    virtual void* ReceiverFor(TObject* object) const = 0;
};

template <class Sig>
class TMethodInvoker;

template <class R, class... Args>
class TMethodInvoker<R(Args...)> : public TMethodCode {
public:
    virtual R Invoke(void* receiver, Args... args) const = 0;
    std::type_index Signature() const override { return typeid(R(Args...)); }
};

namespace detail {

template <class C, class R, class... Args>
class MemberCode final : public TMethodInvoker<R(Args...)> {
public:
    using Member = R (C::*)(Args...);
    explicit MemberCode(Member m) : member_(m) {}
    R Invoke(void* receiver, Args... args) const override
    {
        return (static_cast<C*>(receiver)->*member_)(std::forward<Args>(args)...);
    }
    void* ReceiverFor(TObject* object) const override
    {
        if constexpr (std::is_base_of_v<TObject, C>)
            return dynamic_cast<C*>(object);
        else
            return nullptr;
    }

private:
    Member member_;
};

// Returns the one code object of member function `m`.
template <class C, class R, class... Args>
const TMethodInvoker<R(Args...)>* InternCode(R (C::*m)(Args...))
{
    using Key = std::array<unsigned char, sizeof(m)>;
    static std::mutex lock;
    static std::map<Key, std::unique_ptr<MemberCode<C, R, Args...>>> codes;
    Key key{};
    std::memcpy(key.data(), &m, sizeof(m));
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = codes[key];
    if (!slot)
        slot = std::make_unique<MemberCode<C, R, Args...>>(m);
    return slot.get();
}

} // namespace detail

// An untyped method reference.
struct TMethod {
    const TMethodCode* Code = nullptr;
    void* Data = nullptr;

    explicit operator bool() const { return Code != nullptr; }
    bool operator==(const TMethod& other) const { return Code == other.Code; }
};

template <class Sig>
class TEvent;

template <class R, class... Args>
class TEvent<R(Args...)> {
public:
    using Invoker = TMethodInvoker<R(Args...)>;

    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <class C, class D>
    TEvent(D* receiver, R (C::*method)(Args...))
        : code_(detail::InternCode(method)), data_(static_cast<C*>(receiver))
    {
    }
    // From an untyped reference; a signature that does not match raises EInvalidCast.
    explicit TEvent(const TMethod& method)
    {
        if (method.Code && method.Code->Signature() != std::type_index(typeid(R(Args...))))
            throw EInvalidCast(messages::InvalidCast);
        code_ = static_cast<const Invoker*>(method.Code);
        data_ = method.Code ? method.Data : nullptr;
    }

    bool Assigned() const { return code_ != nullptr; }
    explicit operator bool() const { return code_ != nullptr; }
    bool operator==(const TEvent& other) const { return code_ == other.code_; }
    bool operator==(std::nullptr_t) const { return code_ == nullptr; }

    R operator()(Args... args) const { return code_->Invoke(data_, std::forward<Args>(args)...); }

    TMethod AsMethod() const { return TMethod{code_, data_}; }
    void* Receiver() const { return data_; }
    const TMethodCode* Code() const { return code_; }

private:
    const Invoker* code_ = nullptr;
    void* data_ = nullptr;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

} // namespace classlib
