// Commands the view hands to the frame around it: printing, the about box and help.
#include <filesystem>

#include "score/CTabrellaView.h"

namespace tabrella {

std::string HelpPageUrl() {
    // Installed next to the program; a build that was never installed shows its own copy.
    const std::filesystem::path installed = TABRELLA_HELP_INSTALLED;
    const std::filesystem::path page = std::filesystem::exists(installed)
                                           ? installed
                                           : std::filesystem::path(TABRELLA_HELP_SOURCE);
    return "file://" + page.string();
}

void CTabrellaView::OnFilePrint() {
    m_services.window.RunPrintJob(platform::PrintJob::Print,
                                  [this](platform::IDrawSurface& s) { DrawScore(s); });
}

void CTabrellaView::OnFilePrintPreview() {
    m_services.window.RunPrintJob(platform::PrintJob::Preview,
                                  [this](platform::IDrawSurface& s) { DrawScore(s); });
}

void CTabrellaView::OnFilePrintSetup() {
    m_services.window.RunPrintJob(platform::PrintJob::Setup, {});
}

void CTabrellaView::OnAppAbout() {
    m_services.window.ShowAbout();
}

void CTabrellaView::OnHelp() {
    m_services.window.ShowHelp();
}

}  // namespace tabrella
