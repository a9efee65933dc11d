#pragma once
// The platform services handed to the view when it is created.
#include "platform/Dialog.h"
#include "platform/Sequencer.h"
#include "platform/ViewWindow.h"

namespace tabrella::platform {

struct Services {
    IViewWindow& window;
    IDialogHost& dialogs;
    ISequencer& sequencer;
};

}  // namespace tabrella::platform
