// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the sound and export commands (UTF-8 here, handed out as Shift-JIS).
#include <string>

namespace tabrella::res {

enum class SoundTxt {
    MidiFilterLabel,       // MIDIファイル (*.mid)
    CannotWriteFile,       // ファイルを書き込めませんでした。
    CannotCreatePlayFile,  // 演奏用の一時ファイルを作成できませんでした。
    PlaySpeedRefused,  // 演奏速度は 50 から 100 までの 5 の倍数で入力してください。
    Count
};

const std::string& Sjis(SoundTxt id);

}  // namespace tabrella::res
