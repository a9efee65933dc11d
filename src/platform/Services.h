// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform services handed to the view when it is created.
#include "platform/AudioRenderer.h"
#include "platform/Dialog.h"
#include "platform/Melody.h"
#include "platform/Notation.h"
#include "platform/Sequencer.h"
#include "platform/ViewWindow.h"

namespace tabrella::platform {

struct Services {
    IViewWindow& window;
    IDialogHost& dialogs;
    ISequencer& sequencer;
    // The exchanges that need libraries of their own; without one its command says so.
    IAudioRenderer* audio = nullptr;
    INotationWriter* notation = nullptr;
    IMelodyReader* melody = nullptr;  // the import's readers
};

}  // namespace tabrella::platform
