// Hooks stacked over one procedure slot, removed in every order, from inside their own
// handler, and outliving their owner (native build: ASan sees any use after free).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "classlib/proc_chain.h"

namespace {

struct Probe {
    int id = 0;
    std::string seen;   // one letter per hook that saw it, 'O' for the owner's own procedure
};

// Stands in for a control: a replaceable procedure with its chain beside it.
struct Owner {
    std::function<void(Probe&)> Proc;
    TProcChain<Probe> Chain{Proc};
    Owner() {
        Proc = [](Probe& p) { p.seen += 'O'; };
    }
    std::string Send() {
        Probe p;
        Chain.Call(p);
        return p.seen;
    }
};

using Hook = TProcHook<Probe>;

// A hook that notes its letter and passes the message on.
class LetterHook : public Hook {
public:
    LetterHook(Owner& owner, char name) : Hook(owner.Chain, nullptr), FName(name) {}

protected:
    void HookProc(Probe& p) override {
        p.seen += FName;
        Previous(p);
    }

private:
    char FName;
};

// Runs a script of "+X" (install hook X), "-X" (remove it) and "=SEEN" (send a probe; the
// letters that saw it, top first, then O for the owner).
void RunScript(const std::string& script) {
    Owner owner;
    std::map<char, std::unique_ptr<LetterHook>> hooks;
    std::istringstream in(script);
    std::string step;
    while (in >> step) {
        SCOPED_TRACE(script + " at " + step);
        if (step[0] == '+') {
            hooks[step[1]] = std::make_unique<LetterHook>(owner, step[1]);
        } else if (step[0] == '-') {
            hooks.erase(step[1]);
        } else {
            EXPECT_EQ(owner.Send(), step.substr(1));
        }
    }
    EXPECT_EQ(owner.Chain.HookCount(), static_cast<int>(hooks.size()));
}

}  // namespace

TEST(ProcChain, EveryRemovalOrderKeepsTheRestOfTheChain) {
    const char* scripts[] = {
        "=O +A =AO -A =O",
        "+A +B =BAO -A =BO -B =O",
        "+A +B -B =AO -A =O",
        "+A +B +C =CBAO -B =CAO -A =CO -C =O",
        "+A +B +C -B -C =AO +D =DAO -A =DO -D =O",
        "+A +B +C -A -B =CO +D =DCO -C =DO",
        "+A +B +C -C -A =BO -B =O",
    };
    for (const char* s : scripts) RunScript(s);
}

TEST(ProcChain, AHookReplacedByHandStaysPassable) {
    // Code that swaps the slot by hand keeps a copy of the hook's procedure: once the hook is
    // gone that copy passes messages straight through.
    Owner owner;
    auto a = std::make_unique<LetterHook>(owner, 'A');
    auto saved = owner.Proc;
    owner.Proc = [saved](Probe& p) {
        p.seen += 'R';
        saved(p);
    };
    auto b = std::make_unique<LetterHook>(owner, 'B');
    EXPECT_EQ(owner.Send(), "BRAO");
    a.reset();
    EXPECT_EQ(owner.Send(), "BRO");
    b.reset();
    EXPECT_EQ(owner.Send(), "RO");
}

TEST(ProcChain, AHookRemovedInsideItsOwnMessage) {
    for (bool top : {true, false}) {
        SCOPED_TRACE(top ? "top hook" : "lower hook");
        Owner owner;
        std::unique_ptr<Hook> victim;
        victim = std::make_unique<Hook>(owner.Chain, [&](Probe& p) {
            p.seen += 'V';
            victim->Previous(p);
            victim.reset();   // frees the hook while its handler runs
            p.seen += 'v';
        });
        std::unique_ptr<LetterHook> above;
        if (!top) above = std::make_unique<LetterHook>(owner, 'A');
        EXPECT_EQ(owner.Send(), top ? "VOv" : "AVOv");
        EXPECT_EQ(owner.Send(), top ? "O" : "AO");
        EXPECT_EQ(owner.Chain.HookCount(), top ? 0 : 1);
    }
}

TEST(ProcChain, HooksOutlivingTheirOwnerAreInert) {
    auto owner = std::make_unique<Owner>();
    auto a = std::make_unique<LetterHook>(*owner, 'A');
    auto b = std::make_unique<LetterHook>(*owner, 'B');
    EXPECT_EQ(owner->Send(), "BAO");
    owner.reset();
    EXPECT_FALSE(a->Attached());
    EXPECT_FALSE(b->Attached());
    Probe p;
    a->Previous(p);   // nothing to call: the owner is gone
    EXPECT_EQ(p.seen, "");
    a.reset();
    b.reset();
}

TEST(ProcChain, HooksFreedBeforeTheOwnerGiveItsProcedureBack) {
    Owner owner;
    {
        LetterHook a(owner, 'A');
        LetterHook b(owner, 'B');
        EXPECT_EQ(owner.Send(), "BAO");
    }
    EXPECT_EQ(owner.Send(), "O");
    EXPECT_EQ(owner.Chain.HookCount(), 0);
}
