// SPDX-License-Identifier: GPL-3.0-or-later
// New, Open, Save, Save As and Exit, carried out by the view itself.
#include <algorithm>

#include "files/FileDialogs.h"
#include "files/ScoreFile.h"
#include "resources/FileMessage.h"
#include "resources/FileTexts.h"
#include "resources/RecoveryTexts.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

platform::FileDialogRequest SaveRequest(const std::string& title) {
    platform::FileDialogRequest r;
    r.save = true;
    r.filters = {{res::Sjis(res::FileTxt::ScoreFilter), "*.tbr"},
                 {res::Sjis(res::FileTxt::TextFilter), "*.txt"}};
    r.defaultExtension = "tbr";
    // An untitled score proposes no name: a bare ".tbr" would be a hidden file.
    r.initialName = title.empty() ? std::string() : title + ".tbr";
    r.confirmOverwrite = true;
    return r;
}

platform::FileDialogRequest OpenRequest() {
    platform::FileDialogRequest r;
    r.filters = {{res::Sjis(res::FileTxt::ScoreFilter), "*.tbr"}};
    r.defaultExtension = "tbr";
    return r;
}

}  // namespace

void CTabrellaView::SetFileCaption() {
    if (m_filePath.empty()) {
        m_services.window.SetCaption(res::Sjis(res::Txt::Untitled));
    } else {
        m_services.window.SetPathCaption(m_filePath);
    }
}

void CTabrellaView::SetDocumentFile(const std::string& path, bool clean) {
    m_filePath = path;
    if (clean) {
        m_history.MarkClean();
        m_fileStamp = path.empty() ? std::nullopt : StampOfFile(path);
    } else {
        m_history.MarkUnsaved();
        m_fileStamp.reset();
    }
    SetFileCaption();
}

void CTabrellaView::RestoreRecovered(const ScoreFileContent& content, const std::string& path,
                                     std::optional<FileStamp> stamp) {
    ResetView();
    StoreScoreFileFields(content);
    SetDocumentFile(path, false);
    m_fileStamp = stamp;
    m_services.window.Invalidate();
    NoteScoreChange();
}

bool CTabrellaView::MayOverwriteFile(const std::string& path) {
    if (path != m_filePath || !m_fileStamp) return true;
    const std::optional<FileStamp> now = StampOfFile(path);
    if (!now || *now == *m_fileStamp) return true;
    return m_services.dialogs.MessageBox(
               res::Sjis(res::RecoveryTxt::DiskChanged), res::Sjis(res::Txt::AppTitle),
               platform::MessageBoxKind::YesNoQuestion) == platform::kIdYes;
}

std::optional<std::string> CTabrellaView::AskSavePath() {
    std::optional<std::string> path = m_services.dialogs.FileDialog(SaveRequest(m_title));
    if (path && path->empty()) return std::nullopt;
    return path;
}

// The score takes the path only once the file is written, so a failed save leaves the
// score tied to the file it had.
bool CTabrellaView::SaveTo(const std::string& path) {
    if (!MayOverwriteFile(path)) return false;
    if (std::optional<FileError> error = WriteScoreFile(path)) {
        ShowFileError(m_services.dialogs, res::Sjis(res::FileTxt::SaveFailed), *error);
        return false;
    }
    SetDocumentFile(path, true);
    CSavedNoticeDialog notice;
    m_services.dialogs.DoModal(notice);
    return true;
}

bool CTabrellaView::SaveScore() {
    std::optional<std::string> path;
    if (!m_filePath.empty()) {
        path = m_filePath;
    } else {
        path = AskSavePath();
    }
    const bool written = path && SaveTo(*path);
    if (!written) SetFileCaption();
    return written;
}

void CTabrellaView::OnFileSave() {
    SaveScore();
}

void CTabrellaView::OnFileSaveAs() {
    const std::optional<std::string> path = AskSavePath();
    if (!path || !SaveTo(*path)) SetFileCaption();
}

// True when the command may go on: nothing to save, the user declined, or it was saved.
bool CTabrellaView::SavePromptAllows() {
    if (!Modified()) return true;
    CSavePromptDialog prompt;
    const int answer = m_services.dialogs.DoModal(prompt);
    if (answer == CSavePromptDialog::kYes) return SaveScore();
    return answer == CSavePromptDialog::kNo;
}

void CTabrellaView::ResetView() {
    static_cast<PageView&>(*this) = PageView{};
    m_lastCell = 1;
    m_cells.fill(ScoreCell{});
    m_fontFace = m_defaultFontFace;
    m_history.Clear();
}

void CTabrellaView::OnFileNew() {
    if (!SavePromptAllows()) return;
    ResetView();
    Settings() = ScoreSettings{};
    m_services.window.Invalidate();
    SetDocumentFile({}, true);
}

void CTabrellaView::OnFileOpen() {
    if (!SavePromptAllows()) return;
    // A cancelled dialog keeps the score tied to its file.
    std::optional<std::string> path = m_services.dialogs.FileDialog(OpenRequest());
    if (!path || path->empty()) return;
    OpenNamedFile(*path);
}

void CTabrellaView::OpenNamedFile(const std::string& path) {
    if (std::optional<FileError> error = LoadScoreFile(path)) {
        ShowFileError(m_services.dialogs, res::Sjis(res::FileTxt::OpenFailed), *error);
    }
    NoteScoreChange();
}

std::optional<FileError> CTabrellaView::LoadScoreFile(const std::string& path) {
    ScoreFileRead read = ReadScoreFile(path);
    if (read.error) return read.error;
    ResetView();
    SetDocumentFile(path, true);
    StoreScoreFileFields(read.content);
    m_services.window.Invalidate();
    return std::nullopt;
}

void CTabrellaView::OpenFileAsked(const std::string& path) {
    if (SavePromptAllows()) OpenNamedFile(path);
    NoteScoreChange();
}

bool CTabrellaView::QueryClose() {
    if (!Modified() || m_closeConfirmed) return true;
    const int answer = m_services.dialogs.MessageBox(res::Sjis(res::Txt::ExitQuestion),
                                                     res::Sjis(res::Txt::AppTitle),
                                                     platform::MessageBoxKind::YesNoQuestion);
    return answer == platform::kIdYes;
}

void CTabrellaView::OnExit() {
    if (!QueryClose()) return;
    DeletePlayFile();
    m_closeConfirmed = true;
    m_services.window.CloseMainWindow();
}

}  // namespace tabrella
