// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtDialogHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>

#include "qt/QtProgress.h"
#include "qt/QtText.h"
#include "qt/TemplateDialog.h"
#include "resources/DialogResources.h"

namespace tabrella::qt {
namespace {

// Gives the keyboard back to the main window when a modal window closes, also where no
// window manager does it, so that the accelerators work again at once.
struct ReturnFocus {
    QWidget* parent;
    ~ReturnFocus() {
        if (parent && parent->window()->isVisible()) parent->window()->activateWindow();
    }
};

}  // namespace

int QtDialogHost::DoModal(platform::CDialog& dialog) {
    const res::DialogTemplate* tmpl = res::FindDialogTemplate(dialog.ResourceId());
    if (!tmpl) return platform::kIdCancel;
    ReturnFocus focus{m_parent};
    TemplateDialog window(*tmpl, dialog, m_parent);
    dialog.OnInitDialog(window);
    return window.exec();
}

int QtDialogHost::MessageBox(std::string_view sjisText, std::string_view sjisCaption,
                             platform::MessageBoxKind kind) {
    ReturnFocus focus{m_parent};
    const QString caption =
        sjisCaption.empty() ? QApplication::applicationDisplayName() : FromSjis(sjisCaption);
    if (kind == platform::MessageBoxKind::YesNoQuestion) {
        // No is the default: a question whose Yes discards work must not be answered by Enter.
        const auto answer =
            QMessageBox::question(m_parent, caption, FromSjis(sjisText),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        return answer == QMessageBox::Yes ? platform::kIdYes : platform::kIdNo;
    }
    if (kind == platform::MessageBoxKind::Information) {
        QMessageBox::information(m_parent, caption, FromSjis(sjisText));
    } else {
        QMessageBox::warning(m_parent, caption, FromSjis(sjisText));
    }
    return platform::kIdOk;
}

void QtDialogHost::FileMessageBox(std::string_view sjisHeadline, std::string_view nativePath,
                                  std::string_view sjisReason) {
    ReturnFocus focus{m_parent};
    QMessageBox::warning(m_parent, QApplication::applicationDisplayName(),
                         FromSjis(sjisHeadline) + QLatin1Char('\n') + FromNativePath(nativePath) +
                             QLatin1Char('\n') + FromSjis(sjisReason));
}

std::optional<std::string> QtDialogHost::FileDialog(const platform::FileDialogRequest& request) {
    ReturnFocus focus{m_parent};
    QFileDialog dialog(m_parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    QStringList filters;
    for (const platform::FileFilter& f : request.filters) filters << FromSjis(f.label);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(FromSjis(request.defaultExtension));
    if (!m_lastFolder.isEmpty()) dialog.setDirectory(m_lastFolder);
    if (!request.initialName.empty()) dialog.selectFile(FromSjis(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    return ToNativePath(chosen);
}

bool QtDialogHost::FontDialog(platform::FontRecord& record) {
    // Start from the installed face the name stands for, with the remembered style.
    QFont initial(QFontInfo(QFont(FromSjis(record.faceName))).family());
    if (record.height != 0) initial.setPointSize(std::abs(record.height));
    if (record.weight != 0)
        initial.setWeight(static_cast<QFont::Weight>(std::clamp(record.weight, 100, 900)));
    initial.setItalic(record.italic != 0);
    initial.setUnderline(record.underline != 0);
    initial.setStrikeOut(record.strikeOut != 0);
    ReturnFocus focus{m_parent};
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, m_parent);
    if (!ok) return false;
    record.height = -chosen.pointSize();
    record.weight = chosen.weight();
    record.italic = chosen.italic();
    record.underline = chosen.underline();
    record.strikeOut = chosen.strikeOut();
    record.charSet = 128;
    record.faceName = ToSjis(chosen.family()).substr(0, 31);
    return true;
}

std::unique_ptr<platform::IProgress> QtDialogHost::ShowProgress(std::string_view sjisText) {
    return std::make_unique<QtProgress>(m_parent, FromSjis(sjisText));
}

}  // namespace tabrella::qt
