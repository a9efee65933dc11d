// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/FileMessage.h"

#include <cstdio>

#include "resources/ExportTexts.h"
#include "resources/FileTexts.h"
#include "resources/ImportTexts.h"

namespace tabrella {

std::string ReasonText(const FileError& error) {
    using res::ExportTxt;
    using res::FileTxt;
    using res::ImportTxt;
    switch (error.fault) {
        case FileFault::System:
            return SystemReason(error.errnum);
        case FileFault::FolderNotWritable:
            return res::Sjis(FileTxt::FolderNotWritable) + SystemReason(error.errnum);
        case FileFault::NotRegularFile:
            return res::Sjis(FileTxt::NotRegularFile);
        case FileFault::NotAScore:
            return res::Sjis(FileTxt::NotAScore);
        case FileFault::UnknownAudioType:
            return res::Sjis(ExportTxt::UnknownAudioType);
        case FileFault::NoAudioRenderer:
            return res::Sjis(ExportTxt::NoAudioRenderer);
        case FileFault::MidiFailed:
            return res::Sjis(ExportTxt::MidiFailed);
        case FileFault::Cancelled:
            return res::Sjis(ExportTxt::Cancelled);
        case FileFault::UnknownNotationType:
            return res::Sjis(ExportTxt::UnknownNotationType);
        case FileFault::NoNotationWriter:
            return res::Sjis(ExportTxt::NoNotationWriter);
        case FileFault::NotationFailed:
            return res::Sjis(ExportTxt::NotationFailed);
        case FileFault::ImageNotEncoded:
            return res::Sjis(ExportTxt::ImageNotEncoded);
        case FileFault::NoMelodyReader:
            return res::Sjis(ImportTxt::NoReader);
        case FileFault::UnknownMelodyKind:
            return res::Sjis(ImportTxt::UnknownKind);
        case FileFault::DamagedMelody:
            return res::Sjis(ImportTxt::Damaged);
        case FileFault::UnsupportedMelody:
            return res::Sjis(ImportTxt::Unsupported);
        case FileFault::NoSuchTrack:
            // The import adds which tracks there are, when it knows.
            return res::Sjis(ImportTxt::NoSuchTrack) +
                   (error.detail.empty() ? std::string() : "\n" + error.detail);
        case FileFault::NoNotes:
            return res::Sjis(ImportTxt::NoNotes);
        case FileFault::MelodyTooLarge: {
            char text[512];
            std::snprintf(text, sizeof text, res::Sjis(ImportTxt::TooLarge).c_str(),
                          error.detail.c_str());
            return text;
        }
        case FileFault::SilentRecording:
            return res::Sjis(ImportTxt::Silent);
        case FileFault::UnpitchedRecording:
            return res::Sjis(ImportTxt::NoPitch);
        case FileFault::Foreign:
            break;
    }
    return error.detail;
}

void ShowFileError(platform::IDialogHost& dialogs, std::string_view sjisHeadline,
                   const FileError& error) {
    dialogs.FileMessageBox(sjisHeadline, error.path, ReasonText(error));
}

}  // namespace tabrella
