// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the program's dialogs as real Qt dialogs built from their resource templates, and
// the standard message box, file and font dialogs.
#include <QString>
#include <QWidget>

#include "platform/Dialog.h"

namespace tabrella::qt {

class QtDialogHost : public platform::IDialogHost {
  public:
    explicit QtDialogHost(QWidget* parent) : m_parent(parent) {}

    int DoModal(platform::CDialog& dialog) override;
    int MessageBox(std::string_view sjisText, std::string_view sjisCaption,
                   platform::MessageBoxKind kind) override;
    void FileMessageBox(std::string_view sjisHeadline, std::string_view nativePath,
                        std::string_view sjisReason) override;
    std::optional<std::string> FileDialog(const platform::FileDialogRequest& request) override;
    bool FontDialog(platform::FontRecord& font) override;
    std::unique_ptr<platform::IProgress> ShowProgress(std::string_view sjisText) override;

    // Where the next file dialog opens; empty for the dialog's own choice.
    const QString& LastFolder() const { return m_lastFolder; }
    void SetLastFolder(const QString& folder) { m_lastFolder = folder; }

  private:
    QWidget* m_parent;
    // Each file dialog opens where the last one chose a file, as the platform's own would.
    QString m_lastFolder;
};

}  // namespace tabrella::qt
