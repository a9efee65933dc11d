// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The view's window for batch work: a picture of a fixed client size and no user to ask.
#include <QImage>
#include <QString>

#include "platform/Dialog.h"
#include "platform/ViewWindow.h"

namespace tabrella {
class CTabrellaView;
}

namespace tabrella::app {

class BatchWindow : public platform::IViewWindow {
  public:
    // `pixelRatio` screen pixels for each pixel the view counts (1 for --render-png).
    BatchWindow(int width, int height, double pixelRatio = 1);

    // The paint pass of a window that was just invalidated.
    void Paint(CTabrellaView& view);
    const QImage& Picture() const { return m_image; }

    void Invalidate() override {}
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override;
    platform::ClientSize GetClientSize() const override { return m_client; }
    void SetScrollRange(platform::ScrollBar bar, int min, int max, int page) override;
    platform::ScrollInfo GetScrollInfo(platform::ScrollBar bar) const override;
    void SetScrollPos(platform::ScrollBar bar, int pos) override;
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void SetCaption(std::string_view) override {}
    void SetPathCaption(std::string_view) override {}
    void CloseMainWindow() override {}
    void ShowHelp() override {}
    void RunPrintJob(platform::PrintJob, const platform::PrintPages&) override {}
    void ShowAbout() override {}

  private:
    void EnsureImage();

    platform::ClientSize m_client;
    double m_pixelRatio;
    QImage m_image;
    platform::ScrollInfo m_bars[2]{};
};

// Batch work asks nothing: every dialog is cancelled and every message goes to stderr.
class BatchDialogs : public platform::IDialogHost {
  public:
    int DoModal(platform::CDialog&) override { return platform::kIdCancel; }
    int MessageBox(std::string_view sjisText, std::string_view,
                   platform::MessageBoxKind kind) override;
    void FileMessageBox(std::string_view sjisHeadline, std::string_view path,
                        std::string_view sjisReason) override;
    std::optional<std::string> FileDialog(const platform::FileDialogRequest&) override {
        return {};
    }
    bool FontDialog(platform::FontRecord&) override { return false; }
};

// Prints every page of the score into an A4 PDF; an empty text on success, else the reason.
QString PrintToPdf(CTabrellaView& view, const QString& path);

}  // namespace tabrella::app
