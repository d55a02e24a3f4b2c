// The dialogs' start object: a program that links it has its reported exceptions presented,
// sent, saved and printed by this library from the start of its static objects to their end.
#include "DialogActions.h"

namespace {

struct TDialogsStart {
    TDialogsStart() { crashui::StartDialogs(); }
    ~TDialogsStart() { crashui::StopDialogs(); }
    TDialogsStart(const TDialogsStart&) = delete;
    TDialogsStart& operator=(const TDialogsStart&) = delete;
};

const TDialogsStart dialogsStart;

} // namespace
