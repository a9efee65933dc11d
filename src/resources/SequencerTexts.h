// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the sequencer's error codes, shown in the play command's message box. Each is
// the start of a message; the sequencer appends the detail (a path, the library's reason).
#include <string>

namespace tabrella::res {

enum class SeqTxt {
    NoError,           // エラーはありません。
    SoundFontMissing,  // General MIDI の音色ファイル (SoundFont) が見つかりません。...
    SoundFontUnreadable,  // 音色ファイルを読み込めません:
    NoAudioDevice,        // 音声出力装置を開けません
    SynthFailed,          // シンセサイザーを作成できません:
    MidiFileUnreadable,   // MIDI ファイルを開けません:
    DeviceNotOpen,        // 指定されたデバイスは開かれていません。
    PlayFailed,           // MIDI ファイルを演奏できません:
    UnknownFormat,        // 不明なエラーです (%u)。
    SoundModuleMissing,   // 音声モジュールを読み込めません:
    SoundModuleWrong,     // 音声モジュールの版がこのプログラムと合いません:
    Count
};

const std::string& Sjis(SeqTxt id);

}  // namespace tabrella::res
