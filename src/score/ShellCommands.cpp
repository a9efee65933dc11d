// SPDX-License-Identifier: GPL-3.0-or-later
// Commands the view hands to the frame around it: printing, the about box and help.
#include "score/CTabrellaView.h"

namespace tabrella {

// The printer's drawing does not raise m_lastCell to the cursor as the screen's does;
// the repaint after the dialog does, as after any dialog, so Save, export and Play lose
// no trailing cells.
void CTabrellaView::OnFilePrint() {
    m_services.window.RunPrintJob(platform::PrintJob::Print, PrintedPages());
    m_services.window.Invalidate();
}

void CTabrellaView::OnFilePrintPreview() {
    m_services.window.RunPrintJob(platform::PrintJob::Preview, PrintedPages());
    m_services.window.Invalidate();
}

void CTabrellaView::OnFilePrintSetup() {
    m_services.window.RunPrintJob(platform::PrintJob::Setup, {});
    m_services.window.Invalidate();
}

void CTabrellaView::OnAppAbout() {
    m_services.window.ShowAbout();
}

void CTabrellaView::OnHelp() {
    m_services.window.ShowHelp();
}

}  // namespace tabrella
