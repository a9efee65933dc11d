// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the printed page's number and of the audio and MusicXML exports (UTF-8 here,
// handed out as Shift-JIS).
#include <string>

namespace tabrella::res {

enum class ExportTxt {
    PageNumberFormat,     // %d / %d
    WavFilterLabel,       // WAVファイル (*.wav)
    FlacFilterLabel,      // FLACファイル (*.flac)
    OggFilterLabel,       // Ogg Vorbisファイル (*.ogg)
    MusicXmlFilterLabel,  // MusicXMLファイル (*.musicxml)
    MxlFilterLabel,       // 圧縮MusicXMLファイル (*.mxl)
    RenderingAudio,       // オーディオを書き出しています...
    UnknownAudioType,     // 拡張子は .wav、.flac、.ogg のどれかにしてください。
    UnknownNotationType,  // 拡張子は .musicxml、.mxl のどちらかにしてください。
    Cancelled,            // 書き出しを中止しました。
    NoAudioRenderer,      // オーディオを書き出す機能がありません。
    NoNotationWriter,     // MusicXMLを書き出す機能がありません。
    NotationFailed,       // MusicXMLを作成できませんでした。
    MidiFailed,           // MIDIデータを作成できませんでした。
    NoExchangeModule,     // MIDI・MusicXML モジュールを読み込めません:
    ExchangeModuleOther,  // MIDI・MusicXML モジュールの版がこのプログラムと合いません:
    ImageNotEncoded,  // 画像をPNGに変換できませんでした。
    Count
};

const std::string& Sjis(ExportTxt id);

}  // namespace tabrella::res
