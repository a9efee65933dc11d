// SPDX-License-Identifier: GPL-3.0-or-later
// The song title command: the title dialog, then the new title painted at once.
#include "files/FileDialogs.h"
#include "files/ScoreFile.h"
#include "render/HeaderText.h"
#include "render/PageLayout.h"
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

void CTabrellaView::PaintTitleNow() {
    std::unique_ptr<platform::IDrawSurface> surface = m_services.window.GetSurface(false);
    surface->SetTransparentText();
    SetUpScreenMapping(*surface);
    DrawTitle(*surface, PageGeometry::Of(*this), m_title, false);
    // Drawing over the old title leaves the tail of a longer one; the next paint pass
    // draws the page afresh.
    m_services.window.Invalidate();
}

}  // namespace tabrella
