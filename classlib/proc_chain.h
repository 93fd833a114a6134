// A chain of procedures stacked over one replaceable procedure slot, with hooks that can be
// removed in any order.
//
// The owner of the slot (a control's WindowProc) holds a TProcChain beside it. A TProcHook
// installed on the chain saves the slot's procedure and puts its own in its place; Previous
// passes a message on to what it saved. Destroying a hook unlinks it wherever it sits: the
// hook above it (or the slot) is pointed at what the removed hook saved, so every remaining
// hook and the owner's own procedure still see each message. A copy of a removed hook's
// procedure held elsewhere (code that replaced the slot by hand and kept the old value) only
// passes messages through. When the owner goes first, it calls OwnerGone: every hook becomes
// inert and never touches the owner again. A hook may be destroyed while it handles a message.
// Single-threaded, like the windows it serves.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

template <class Message>
class TProcHook;

template <class Message>
class TProcChain {
public:
    using Proc = std::function<void(Message&)>;

    explicit TProcChain(Proc& slot) : FSlot(&slot) {}
    ~TProcChain() { OwnerGone(); }
    TProcChain(const TProcChain&) = delete;
    TProcChain& operator=(const TProcChain&) = delete;

    // Calls the slot's procedure with a message. The procedure is copied first, so that a hook
    // removed (or the slot replaced) while the message is on its way does not pull the running
    // code from under it.
    void Call(Message& m) const {
        Proc proc = *FSlot;
        if (proc) proc(m);
    }

    // The owner is going: every hook forgets it and what it saved.
    void OwnerGone() {
        std::vector<TProcHook<Message>*> hooks;
        hooks.swap(FHooks);
        for (TProcHook<Message>* h : hooks) h->Detach();
        FSlot = nullptr;
    }

    int HookCount() const { return static_cast<int>(FHooks.size()); }

private:
    friend class TProcHook<Message>;
    Proc* FSlot;
    std::vector<TProcHook<Message>*> FHooks;   // in the order they were installed
};

template <class Message>
class TProcHook {
public:
    using Proc = std::function<void(Message&)>;

    // Installs the hook at the top of the chain; handler sees each message first (an empty
    // handler passes every message on).
    TProcHook(TProcChain<Message>& chain, Proc handler)
        : FChain(&chain), FHandler(std::move(handler)), FLink(std::make_shared<Link>()) {
        FLink->hook = this;
        FLink->previous = *chain.FSlot;
        *chain.FSlot = Thunk{FLink};
        chain.FHooks.push_back(this);
    }

    virtual ~TProcHook() { Unlink(); }
    TProcHook(const TProcHook&) = delete;
    TProcHook& operator=(const TProcHook&) = delete;

    // Passes the message to the procedure this hook replaced (nothing once the owner is gone).
    void Previous(Message& m) const {
        if (!FChain || !FLink->previous) return;
        Proc previous = FLink->previous;
        previous(m);
    }

    // False once the hook was removed or its owner went away.
    bool Attached() const { return FChain != nullptr; }

    // Takes the hook out of the chain now (the destructor does it too).
    void Unlink() {
        if (!FChain) return;
        TProcChain<Message>& chain = *FChain;
        FChain = nullptr;
        auto& hooks = chain.FHooks;
        hooks.erase(std::remove(hooks.begin(), hooks.end(), this), hooks.end());
        if (IsOurs(*chain.FSlot)) {
            *chain.FSlot = FLink->previous;
        } else {
            for (TProcHook* above : hooks) {
                if (IsOurs(above->FLink->previous)) {
                    above->FLink->previous = FLink->previous;
                    break;
                }
            }
        }
        // Copies of our procedure kept outside the chain now pass straight through.
        FLink->hook = nullptr;
    }

protected:
    // Handles one message; by default the handler given at installation, else Previous.
    virtual void HookProc(Message& m) {
        if (!FHandler) {
            Previous(m);
            return;
        }
        Proc handler = FHandler;   // the hook may be freed inside its own handler
        handler(m);
    }

private:
    friend class TProcChain<Message>;

    struct Link {
        TProcHook* hook = nullptr;
        Proc previous;
    };
    // What sits in the slot (or in the hook above): finds the hook through the shared link, so
    // that it knows when the hook is gone.
    struct Thunk {
        std::shared_ptr<Link> link;
        void operator()(Message& m) const {
            std::shared_ptr<Link> keep = link;
            if (keep->hook) {
                keep->hook->HookProc(m);
            } else if (keep->previous) {
                Proc previous = keep->previous;
                previous(m);
            }
        }
    };

    bool IsOurs(const Proc& proc) const {
        const Thunk* t = proc.template target<Thunk>();
        return t && t->link == FLink;
    }

    void Detach() {
        FChain = nullptr;
        FLink->hook = nullptr;
        FLink->previous = nullptr;
    }

    TProcChain<Message>* FChain;
    Proc FHandler;
    std::shared_ptr<Link> FLink;
};
