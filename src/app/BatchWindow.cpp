// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatchWindow.h"

#include <QFile>
#include <QPainter>
#include <cstdio>

#include "qt/PrintModule.h"
#include "qt/QtSurface.h"
#include "qt/QtText.h"
#include "qt/QtViewWidget.h"
#include "score/CTabrellaView.h"

namespace tabrella::app {

BatchWindow::BatchWindow(int width, int height, double pixelRatio)
    : m_client{width, height}, m_pixelRatio(pixelRatio) {}

void BatchWindow::EnsureImage() {
    // Made at the first drawing: the exports never draw and need no picture.
    if (!m_image.isNull()) return;
    m_image = QImage(qRound(m_client.width * m_pixelRatio), qRound(m_client.height * m_pixelRatio),
                     QImage::Format_RGB32);
    m_image.setDevicePixelRatio(m_pixelRatio);
}

void BatchWindow::Paint(CTabrellaView& view) {
    EnsureImage();
    m_image.fill(Qt::white);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    qt::QtSurface surface(painter);
    view.OnPaint(surface);
}

std::unique_ptr<platform::IDrawSurface> BatchWindow::GetSurface(bool erase) {
    if (m_image.isNull()) {
        EnsureImage();
        erase = true;
    }
    if (erase) m_image.fill(Qt::white);
    return std::make_unique<qt::PictureSurface>(&m_image);
}

void BatchWindow::SetScrollRange(platform::ScrollBar bar, int min, int max, int page) {
    platform::ScrollInfo& info = m_bars[bar == platform::ScrollBar::Vertical];
    info.min = min;
    info.max = max;
    info.page = page;
}

platform::ScrollInfo BatchWindow::GetScrollInfo(platform::ScrollBar bar) const {
    return m_bars[bar == platform::ScrollBar::Vertical];
}

void BatchWindow::SetScrollPos(platform::ScrollBar bar, int pos) {
    m_bars[bar == platform::ScrollBar::Vertical].pos = pos;
}

int BatchDialogs::MessageBox(std::string_view sjisText, std::string_view,
                             platform::MessageBoxKind kind) {
    std::fprintf(stderr, "tabrella: %s\n", qPrintable(qt::FromSjis(sjisText).replace('\n', ": ")));
    return kind == platform::MessageBoxKind::YesNoQuestion ? platform::kIdNo : platform::kIdOk;
}

void BatchDialogs::FileMessageBox(std::string_view sjisHeadline, std::string_view path,
                                  std::string_view sjisReason) {
    std::fprintf(stderr, "tabrella: %s: %s: %s\n", qPrintable(qt::FromSjis(sjisHeadline)),
                 qPrintable(qt::FromNativePath(path)), qPrintable(qt::FromSjis(sjisReason)));
}

QString PrintToPdf(CTabrellaView& view, const QString& path) {
    QString error;
    const qt::PrintModuleEntry* printing = qt::LoadPrintModule(error);
    return printing ? printing->printToPdf(view.PrintedPages(), path) : error;
}

}  // namespace tabrella::app
