// The engine's place in the program's start-up order: first of all static objects (the
// highest initialisation priority; linked whole, so the object is never dropped), after a
// restart waiting for the previous instance and taking over its exception times; stopped last.
#include "QorLibrary.h"
#include "QorRestart.h"

namespace {

struct EngineStart {
    EngineStart()
    {
        qor::TakeOverRestart();
        qor::StartLibrary();
    }
    ~EngineStart() { qor::StopLibrary(); }
};

__attribute__((init_priority(101))) EngineStart engineStart;

} // namespace
