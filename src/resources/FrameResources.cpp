// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/FrameResources.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "base/Sjis.h"
#include "resources/CommandIds.h"
#include "resources/English.h"
#include "resources/KeyCodes.h"
#include "resources/Language.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

// The text of a menu entry in the language of the run; `japanese` is the key's own text.
std::string MenuText(int id, std::string_view japanese) {
    if (CurrentLanguage() == Language::Japanese) return Utf8ToSjis(japanese);
    for (const english::MenuText& row : english::kMenu) {
        if (row.id == id) return Utf8ToSjis(row.text);
    }
    return {};
}

MenuItem Item(std::string_view utf8, int id) {
    return {MenuText(id, utf8), id, {}};
}
MenuItem Popup(int menuId, std::string_view utf8, std::vector<MenuItem> items) {
    return {MenuText(menuId, utf8), 0, std::move(items)};
}

std::vector<MenuItem> BuildMenu() {
    using namespace cmd;
    return {
        Popup(menu::kFile, "ﾌｧｲﾙ(&F)",
              {
                  Item("新規作成(&N)\tCtrl+N", kNew),
                  Item("開く(&O)...\tCtrl+O", kOpen),
                  Item("上書き保存(&S)\tCtrl+S", kSave),
                  Item("名前を付けて保存(&A)...", kSaveAs),
                  Item("MIDIエクスポート", kMidiExport),
                  Item("オーディオの書き出し...", kAudioExport),
                  Item("MusicXMLの書き出し...", kMusicXmlExport),
                  Item("インポート...", kImport),
                  Item("印刷(&P)...\tCtrl+P", kPrint),
                  Item("印刷ﾌﾟﾚﾋﾞｭｰ(&V)", kPrintPreview),
                  Item("ﾌﾟﾘﾝﾀの設定(&R)...", kPrintSetup),
                  Item("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", kExit),
              }),
        Popup(menu::kEdit, "編集(&E)",
              {
                  Item("元に戻す(&U)\tCtrl+Z", kEditUndo),
                  Item("やり直し(&R)\tCtrl+Y", kEditRedo),
                  MenuItem{},
                  Item("空白を挿入", kInsertBlank),
                  Item("切り取り", kCut),
                  Item("コピー", kCopy),
                  Item("貼り付け", kPaste),
              }),
        Popup(menu::kView, "表示(&V)",
              {
                  Popup(menu::kFont, "フォントの選択",
                        {
                            Item("フォントダイアログを開く", kFontDialog),
                            Item("デフォルトに戻す", kDefaultFont),
                        }),
                  Popup(menu::kZoom, "画面サイズの変更",
                        {
                            Item(" 80%", kZoom80),
                            Item(" 90%", kZoom90),
                            Item("100%", kZoom100),
                            Item("120%", kZoom120),
                            Item("150%", kZoom150),
                            Item("200%", kZoom200),
                            Item("300%", kZoom300),
                        }),
                  Item("曲名の設定", kTitle),
                  Popup(menu::kLanguage, "言語",
                        {
                            Item("システムの設定に従う", kLanguageSystem),
                            Item("日本語", kLanguageJapanese),
                            Item("English", kLanguageEnglish),
                        }),
              }),
        Popup(menu::kPlay, "演奏設定(&P)",
              {
                  Item("調子の設定", kTuning),
                  Item("テンポ", kTempo),
                  MenuItem{},
                  Item("範囲を繰り返し演奏...", kPlayLoop),
                  Item("演奏速度...", kPlaySpeed),
                  Item("カウントイン", kCountIn),
                  Item("メトロノーム", kMetronome),
                  MenuItem{},
                  Item("入力音を鳴らす", kPreviewNotes),
              }),
        Popup(menu::kHelp, "ﾍﾙﾌﾟ(&H)",
              {
                  Item("Tabrella のﾊﾞｰｼﾞｮﾝ情報(&A)...", kAbout),
                  Item("ヘルプ(&H)", kHelp),
              }),
    };
}

struct StringSource {
    int id;
    std::string_view prompt;
    std::string_view tooltip;
};

constexpr StringSource kCommandStrings[] = {
    {cmd::kOpen, "ファイルを開く", "ファイルを開く"},
    {cmd::kSave, "ファイルに保存", "ファイルに保存"},
    {cmd::kNew, "新規作成", "新しいファイルを作る"},
    {cmd::kPlay, "演奏開始", "演奏開始"},
    {cmd::kStop, "演奏停止", "演奏停止"},
    {cmd::kGoToTop, "ファイルの先頭に戻る", "ファイルの先頭に戻る"},
    {cmd::kGoToEnd, "曲の最後へ", ""},
    {cmd::kHelp, "ヘルプページを開きます", ""},
    {cmd::kAudioExport, "曲をオーディオファイルに書き出す", ""},
    {cmd::kMusicXmlExport, "曲をMusicXMLファイルに書き出す", ""},
    {cmd::kImport, "MIDIファイルやMusicXMLファイルの旋律を箏の譜にする", ""},
    {cmd::kPrintSetup, "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更", "印刷設定"},
    {cmd::kPrint, "作業中のﾌｧｲﾙを印刷", "印刷"},
    {cmd::kPrintPreview, "印刷ｲﾒｰｼﾞを表示", "印刷ﾌﾟﾚﾋﾞｭｰ"},
    {cmd::kEditCopy, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "ｺﾋﾟｰ"},
    {cmd::kEditCut, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "切り取り"},
    {cmd::kEditPaste, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け", "貼り付け"},
    {cmd::kAbout, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示", "ﾊﾞｰｼﾞｮﾝ情報"},
    {cmd::kExit, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示", "終了"},
    {cmd::kEditUndo, "直前の変更を取り消して元に戻す", "元に戻す"},
    {cmd::kEditRedo, "取り消した変更をやり直す", "やり直し"},
    {cmd::kPlayLoop, "範囲を指定して繰り返し演奏", ""},
    {cmd::kPlaySpeed, "演奏の速さをテンポの 50～100 % に変更", ""},
    {cmd::kCountIn, "演奏の前に1小節のカウントを入れる", ""},
    {cmd::kMetronome, "演奏中に拍ごとのクリックを鳴らす", ""},
    {cmd::kPreviewNotes, "弦や押し手を入力するたびに、そのマス目の音を鳴らす", ""},
    {cmd::kLanguageSystem, "次回の起動から、システムの言語設定に従って表示します", ""},
    {cmd::kLanguageJapanese, "次回の起動から、メニューやダイアログを日本語で表示します", ""},
    {cmd::kLanguageEnglish, "次回の起動から、メニューやダイアログを英語で表示します", ""},
};

}  // namespace

const std::vector<MenuItem>& MainMenu() {
    static std::array<std::optional<std::vector<MenuItem>>, kLanguageCount> menus;
    auto& menu = menus.at(static_cast<size_t>(CurrentLanguage()));
    if (!menu) menu = BuildMenu();
    return *menu;
}

const std::vector<int>& ToolbarButtons() {
    using namespace cmd;
    static const std::vector<int> buttons = {kNew,      kOpen,      kSave, 0,      kEditCut,
                                             kEditCopy, kEditPaste, 0,     kPrint, 0,
                                             kAbout,    kGoToTop,   kPlay, kStop,  kGoToEnd};
    return buttons;
}

const std::vector<Accelerator>& Accelerators() {
    using namespace cmd;
    using vk::kBack, vk::kDelete, vk::kF6, vk::kInsert, vk::Letter;
    static const std::vector<Accelerator> table = {
        {kCtrl, Letter('N'), kFileNew},
        {kCtrl, Letter('O'), kFileOpen},
        {kCtrl, Letter('S'), kFileSave},
        {kCtrl, Letter('P'), kPrint},
        {kCtrl, Letter('Z'), kEditUndo},
        {kCtrl, Letter('X'), kEditCut},
        {kCtrl, Letter('C'), kEditCopy},
        {kCtrl, Letter('V'), kEditPaste},
        {kAlt, kBack, kEditUndo},
        {kCtrl, Letter('Y'), kEditRedo},
        {kCtrl | kShift, Letter('Z'), kEditRedo},
        {kShift, kDelete, kEditCut},
        {kCtrl, kInsert, kEditCopy},
        {kShift, kInsert, kEditPaste},
        {kNone, kF6, kNextPane},
        {kShift, kF6, kPrevPane},
    };
    return table;
}

CommandStrings StringsOfCommand(int id) {
    if (CurrentLanguage() == Language::English) {
        for (const english::CommandText& s : english::kCommands) {
            if (s.id == id) return {Utf8ToSjis(s.prompt), Utf8ToSjis(s.tooltip)};
        }
        return {};
    }
    for (const StringSource& s : kCommandStrings) {
        if (s.id == id) return {Utf8ToSjis(s.prompt), Utf8ToSjis(s.tooltip)};
    }
    return {};
}

const std::vector<std::string>& StatusIndicators() {
    const auto& english = english::kStatusIndicators;
    static const std::array<std::vector<std::string>, kLanguageCount> panes = {
        std::vector<std::string>{Utf8ToSjis("ｶﾅ"), "CAP", "NUM", "SCRL"},
        std::vector<std::string>(english.begin(), english.end())};
    return panes.at(static_cast<size_t>(CurrentLanguage()));
}

const std::string& IdleMessage() {
    static const LocalizedTable<1> text({"ﾚﾃﾞｨ"}, {english::kIdleMessage});
    return text.At(0);
}

}  // namespace tabrella::res
