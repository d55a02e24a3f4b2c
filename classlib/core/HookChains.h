#pragma once
// The two hook chains of one hooked window procedure: hooks that run before the control's own
// procedure and hooks that run after it; a hook that returns true ("handled") ends the
// dispatch. Hooks may add or remove hooks (themselves included) while a message is being
// dispatched, also in nested dispatches of the same control: every active dispatch keeps a
// cursor per chain that additions and removals adjust, so each dispatch goes on with the
// right next hook and sees hooks added behind its position.
#include "core/Events.h"

#include <array>
#include <vector>

namespace classlib {

enum THookOrder { hoBeforeMsg, hoAfterMsg };

template <class Msg>
class THookChains {
public:
    using THook = classlib::TEvent<bool(Msg&)>;

    THookChains() = default;
    THookChains(const THookChains&) = delete;
    THookChains& operator=(const THookChains&) = delete;
    ~THookChains()
    {
        for (Entry* head : first_)
            while (head) {
                Entry* next = head->next;
                delete head;
                head = next;
            }
    }

    bool Empty() const { return !first_[0] && !first_[1]; }
    int Depth() const { return static_cast<int>(frames_.size()); }

    // Appends the hook; dispatches whose cursor for that chain is exhausted will still call it.
    void Add(THookOrder order, const THook& hook)
    {
        Entry* entry = new Entry{hook, nullptr};
        if (last_[order])
            last_[order]->next = entry;
        else
            first_[order] = entry;
        last_[order] = entry;
        for (Frame& frame : frames_)
            if (!frame.cursor[order] && !frame.done[order])
                frame.cursor[order] = entry;
    }

    // Removes the first entry whose code and receiver equal the hook's; false when none does.
    bool Remove(THookOrder order, const THook& hook)
    {
        Entry* previous = nullptr;
        for (Entry* entry = first_[order]; entry; previous = entry, entry = entry->next) {
            if (entry->hook.Code() != hook.Code() || entry->hook.Receiver() != hook.Receiver())
                continue;
            (previous ? previous->next : first_[order]) = entry->next;
            if (last_[order] == entry)
                last_[order] = previous;
            for (Frame& frame : frames_)
                if (frame.cursor[order] == entry)
                    frame.cursor[order] = entry->next;
            delete entry;
            return true;
        }
        return false;
    }

    // Before hooks, then `original()` unless one handled the message, then the after hooks;
    // stops as soon as `gone()` says the control no longer exists.
    template <class Original, class Gone>
    void Dispatch(Msg& msg, Original&& original, Gone&& gone)
    {
        const size_t index = frames_.size();
        frames_.push_back(Frame{{first_[hoBeforeMsg], nullptr}, {false, false}});
        struct Pop {
            std::vector<Frame>& frames;
            ~Pop() { frames.pop_back(); }
        } pop{frames_};
        if (RunChain(index, hoBeforeMsg, msg, gone))
            return;
        original();
        if (gone())
            return;
        frames_[index].cursor[hoAfterMsg] = first_[hoAfterMsg];
        RunChain(index, hoAfterMsg, msg, gone);
    }

private:
    struct Entry {
        THook hook;
        Entry* next;
    };
    struct Frame {
        std::array<Entry*, 2> cursor;
        std::array<bool, 2> done; // the chain has finished in this dispatch
    };

    // True when the dispatch ends here (handled, or the control is gone).
    template <class Gone>
    bool RunChain(size_t index, THookOrder order, Msg& msg, Gone& gone)
    {
        while (Entry* entry = frames_[index].cursor[order]) {
            frames_[index].cursor[order] = entry->next;
            // A copy: the hook may remove (and so free) its own entry.
            const THook hook = entry->hook;
            if (hook(msg) || gone())
                return true;
        }
        frames_[index].done[order] = true;
        return false;
    }

    std::array<Entry*, 2> first_{};
    std::array<Entry*, 2> last_{};
    std::vector<Frame> frames_;
};

} // namespace classlib
