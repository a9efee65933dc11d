// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/DialogResources.h"

#include <array>
#include <optional>
#include <string_view>

#include "base/Sjis.h"
#include "resources/ControlIds.h"
#include "resources/English.h"
#include "resources/FileTexts.h"
#include "resources/Language.h"
#include "resources/Texts.h"

namespace tabrella::res {
namespace {

using K = ControlKind;

struct ControlSource {
    int id;
    K kind;
    std::string_view text;  // UTF-8
    int x, y, width, height;
    int buddy = 0;
};

struct DialogSource {
    int id;
    std::string_view caption;
    int width, height;
    std::string_view fontFace;
    int fontPoints;
    std::vector<ControlSource> controls;
};

// Places of the dialogs whose layout is not fixed elsewhere are our own.
std::vector<DialogSource> Sources() {
    return {
        {kDlgSavePrompt,
         "ファイルの保存",
         194,
         69,
         "ＭＳ Ｐゴシック",
         11,
         {
             {-1, K::Static, "このファイルは変更されています。", 20, 10, 160, 12},
             {-1, K::Static, "保存しますか？", 20, 24, 160, 12},
             {ctl::kSaveYes, K::DefaultButton, "はい", 14, 46, 50, 14},
             {ctl::kSaveNo, K::Button, "いいえ", 72, 46, 50, 14},
             {ctl::kSaveCancel, K::Button, "ｷｬﾝｾﾙ", 130, 46, 50, 14},
         }},
        {kDlgSavedNotice,
         "ファイル保存の確認",
         103,
         49,
         "ＭＳ Ｐゴシック",
         9,
         {
             {-1, K::Static, "ファイルを保存しました。", 12, 18, 84, 12},
         }},
        {kDlgRecovery,
         "楽譜の復元",
         300,
         100,
         "ＭＳ Ｐゴシック",
         9,
         {
             {-1, K::Static, "前回、保存されないまま終わった楽譜があります。", 12, 8, 276, 12},
             {ctl::kRecoveryFile, K::Static, "", 12, 24, 276, 12},
             {ctl::kRecoveryChanged, K::Static, "", 12, 38, 276, 12},
             {ctl::kRecoveryCells, K::Static, "", 12, 52, 276, 12},
             {ctl::kRecoveryRestore, K::DefaultButton, "復元", 50, 76, 56, 14},
             {ctl::kRecoveryDiscard, K::Button, "破棄", 122, 76, 56, 14},
             {ctl::kRecoveryLater, K::Button, "後で", 194, 76, 56, 14},
         }},
        {kDlgTitle,
         "曲名の入力",
         187,
         93,
         "ＭＳ Ｐゴシック",
         9,
         {
             {ctl::kTitleEdit, K::Edit, "", 20, 38, 147, 14},
             {platform::kIdOk, K::DefaultButton, "OK", 38, 68, 50, 14},
             {platform::kIdCancel, K::Button, "ｷｬﾝｾﾙ", 100, 68, 50, 14},
             {-1, K::Static, "曲名を入力してください。　", 20, 12, 147, 10},
             {-1, K::GroupBox, "", 7, 4, 173, 84},
             {-1, K::Static, "（全角文字でお願いします）", 20, 24, 147, 10},
         }},
        {kDlgTuning,
         "調子の設定",
         200,
         150,
         "ＭＳ Ｐゴシック",
         9,
         {
             {-1, K::Static, "調子を選んでください。", 14, 10, 170, 10},
             {ctl::kTuningBox, K::ComboBox, "", 14, 22, 120, 100},
             {-1, K::Static, "基音を選んでください。", 14, 44, 170, 10},
             {ctl::kBaseToneBox, K::ComboBox, "", 14, 56, 120, 100},
             {-1, K::Static, "基音を1オクターブ下げる場合はチェックを入れてください。", 14, 78, 180,
              10},
             {ctl::kOtsuBox, K::CheckBox, "乙", 14, 92, 40, 12},
             {platform::kIdOk, K::DefaultButton, "OK", 40, 124, 50, 14},
             {platform::kIdCancel, K::Button, "ｷｬﾝｾﾙ", 110, 124, 50, 14},
         }},
        {kDlgTempo,
         "テンポの変更",
         200,
         70,
         "ＭＳ Ｐゴシック",
         9,
         {
             {ctl::kTempoEdit, K::Edit, "", 52, 14, 40, 14},
             {ctl::kTempoSpin, K::Spin, "", 92, 14, 10, 14, ctl::kTempoEdit},
             {platform::kIdOk, K::DefaultButton, "OK", 40, 44, 50, 14},
             {platform::kIdCancel, K::Button, "ｷｬﾝｾﾙ", 110, 44, 50, 14},
             {-1, K::Static, "テンポ", 10, 17, 40, 10},
             {-1, K::Static, "拍/分  (10～999)", 106, 17, 90, 10},
         }},
        {kDlgRange,
         "範囲を指定",
         187,
         93,
         "ＭＳ Ｐゴシック",
         9,
         {
             {ctl::kRangeFromEdit, K::Edit, "", 23, 41, 25, 14},
             {ctl::kRangeFromSpin, K::Spin, "", 49, 41, 10, 14, ctl::kRangeFromEdit},
             {-1, K::Static, "マス目から", 63, 44, 35, 12},
             {ctl::kRangeToEdit, K::Edit, "", 101, 41, 25, 14},
             {ctl::kRangeToSpin, K::Spin, "", 126, 41, 10, 14, ctl::kRangeToEdit},
             {-1, K::Static, "マス目まで", 139, 43, 35, 12},
             {ctl::kRangeDecide, K::Button, "決定", 39, 72, 41, 13},
             {ctl::kRangeCancel, K::Button, "キャンセル", 108, 72, 41, 13},
             {ctl::kRangeOperationEdit, K::Edit, "", 43, 7, 67, 15},
             {-1, K::Static, "を行います。", 114, 9, 51, 12},
         }},
        {kDlgPaste,
         "貼り付け",
         146,
         81,
         "ＭＳ Ｐゴシック",
         9,
         {
             {ctl::kPasteRun, K::Button, "実行", 19, 61, 41, 13},
             {ctl::kPasteCancel, K::Button, "キャンセル", 82, 61, 41, 13},
             {ctl::kPasteTargetEdit, K::Edit, "", 16, 18, 35, 15},
             {ctl::kPasteTargetSpin, K::Spin, "", 54, 18, 10, 14, ctl::kPasteTargetEdit},
             {-1, K::Static, "マス目に貼り付け", 72, 21, 59, 11},
         }},
        {kDlgPlaySpeed,
         "演奏速度",
         210,
         84,
         "ＭＳ Ｐゴシック",
         9,
         {
             {-1, K::Static, "テンポに対する演奏の速さを選んでください。", 12, 10, 190, 10},
             {ctl::kSpeedBox, K::ComboBox, "", 40, 26, 50, 120},
             {-1, K::Static, "%  (50～100、5 きざみ)", 94, 28, 110, 10},
             {platform::kIdOk, K::DefaultButton, "OK", 42, 60, 50, 14},
             {platform::kIdCancel, K::Button, "ｷｬﾝｾﾙ", 118, 60, 50, 14},
         }},
        {kDlgImport,
         "インポートの設定",
         220,
         170,
         "ＭＳ Ｐゴシック",
         9,
         {
             {-1, K::Static, "調子", 14, 12, 60, 10},
             {ctl::kImportTuningBox, K::ComboBox, "", 80, 10, 126, 100},
             {-1, K::Static, "基音", 14, 34, 60, 10},
             {ctl::kImportBaseToneBox, K::ComboBox, "", 80, 32, 126, 100},
             {-1, K::Static, "乙", 14, 56, 60, 10},
             {ctl::kImportOtsuBox, K::ComboBox, "", 80, 54, 126, 60},
             {-1, K::Static, "パート・トラック", 14, 78, 64, 10},
             {ctl::kImportPartBox, K::ComboBox, "", 80, 76, 126, 100},
             {-1, K::Static, "「自動」は音がいちばんよく収まるものを選びます。", 14, 102, 196, 20},
             {platform::kIdOk, K::DefaultButton, "OK", 50, 140, 50, 14},
             {platform::kIdCancel, K::Button, "ｷｬﾝｾﾙ", 120, 140, 50, 14},
         }},
    };
}

const english::DialogText* EnglishOf(int id) {
    for (const english::DialogText& d : english::Dialogs()) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

// The templates with the texts of one language; places and ids are the same in all.
std::vector<DialogTemplate> Convert(Language language) {
    std::vector<DialogTemplate> out;
    for (const DialogSource& d : Sources()) {
        const english::DialogText* english =
            language == Language::English ? EnglishOf(d.id) : nullptr;
        auto text = [&](std::string_view japanese, size_t control) {
            if (language == Language::Japanese) return Utf8ToSjis(japanese);
            const bool given = english && control < english->controls.size();
            return given ? Utf8ToSjis(english->controls[control]) : std::string();
        };
        const std::string caption = language == Language::Japanese ? Utf8ToSjis(d.caption)
                                    : english                      ? Utf8ToSjis(english->caption)
                                                                   : std::string();
        DialogTemplate t{d.id,         caption, d.width, d.height, Utf8ToSjis(d.fontFace),
                         d.fontPoints, {}};
        for (size_t i = 0; i < d.controls.size(); ++i) {
            const ControlSource& c = d.controls[i];
            t.controls.push_back(
                {c.id, c.kind, text(c.text, i), c.x, c.y, c.width, c.height, c.buddy});
        }
        out.push_back(std::move(t));
    }
    return out;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    static const std::array<std::vector<DialogTemplate>, kLanguageCount> templates = {
        Convert(Language::Japanese), Convert(Language::English)};
    for (const DialogTemplate& t : templates.at(static_cast<size_t>(CurrentLanguage()))) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

const platform::RefusalTexts& InputRefusals() {
    static std::array<std::optional<platform::RefusalTexts>, kLanguageCount> texts;
    auto& shown = texts.at(static_cast<size_t>(CurrentLanguage()));
    if (!shown) {
        shown =
            platform::RefusalTexts{res::Sjis(FileTxt::NotShiftJis), res::Sjis(Txt::IntegerRequired),
                                   res::Sjis(Txt::IntegerRangeFormat)};
    }
    return *shown;
}

}  // namespace tabrella::res
