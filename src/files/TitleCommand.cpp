// SPDX-License-Identifier: GPL-3.0-or-later
// The song title command: the title dialog, then the new title painted at once
// (render/HeaderText.cpp).
#include "files/FileDialogs.h"
#include "files/ScoreFile.h"
#include "score/CTabrellaView.h"

namespace tabrella {

void CTabrellaView::OnTitle() {
    CTitleDialog dialog;
    if (!m_title.empty()) dialog.m_titleText = m_title;
    m_services.dialogs.DoModal(dialog);
    // An empty box keeps the old title; Cancel leaves the old title in the field.
    if (!dialog.m_titleText.empty()) m_title = TitleAsOneWord(dialog.m_titleText);
    PaintTitleNow();
}

}  // namespace tabrella
