// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The view's window: the central widget of the main window with its two scroll bars.
// It keeps the picture in an image, so the paint pass and the immediate drawings of the
// view both draw into the same place.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QImage>
#include <functional>
#include <map>
#include <memory>

#include "platform/ViewEvents.h"
#include "platform/ViewWindow.h"

namespace tabrella::qt {

class QtViewWidget : public QAbstractScrollArea, public platform::IViewWindow {
    Q_OBJECT
  public:
    explicit QtViewWidget(QWidget* parent = nullptr);
    ~QtViewWidget() override;

    void SetView(platform::IViewEvents* view) { m_view = view; }
    // Frame services the view reaches through its window.
    std::function<void(const QString&)> onCaption;
    std::function<void(const QString&)> onNews;  // a passing message for the status bar
    std::function<void()> onCloseMainWindow;
    std::function<void()> onAbout;
    std::function<void()> onHelp;
    // Called after every key, button, wheel and timer event the view has handled.
    std::function<void()> onInput;

    // platform::IViewWindow
    void Invalidate() override;
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override;
    platform::ClientSize GetClientSize() const override;
    void SetScrollRange(platform::ScrollBar bar, int min, int max, int page) override;
    platform::ScrollInfo GetScrollInfo(platform::ScrollBar bar) const override;
    void SetScrollPos(platform::ScrollBar bar, int pos) override;
    void SetTimer(int id, int intervalMs) override;
    void KillTimer(int id) override;
    void SetCaption(std::string_view sjis) override;
    void SetPathCaption(std::string_view nativePath) override;
    void ReportWritten(std::string_view nativePath) override;
    void CloseMainWindow() override;
    void ShowHelp() override;
    void RunPrintJob(platform::PrintJob job, const platform::PrintPages& pages) override;
    void ShowAbout() override;

    // The cursor's cell in words, and the event that has a screen reader say them: after
    // every key or click (`always`), and once the playing cursor has stopped; never while
    // it steps through the music.
    QString CursorDescription() const;
    void AnnounceCursor(bool always);

    const QImage& Picture() const { return m_image; }
    QSize sizeHint() const override { return {500, 600}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int, int) override {}
    bool focusNextPrevChild(bool) override { return false; }

  private:
    class ImageSurface;
    void EnsureImage();
    void OnScrollAction(platform::ScrollBar bar, int action);
    void WheelLines(platform::ScrollBar bar, int angle, int pixels);
    void Handled();
    QScrollBar* Bar(platform::ScrollBar bar) const;

    platform::IViewEvents* m_view = nullptr;
    QImage m_image;
    bool m_needsPaint = true;
    QRect m_drawnForKey;  // what the key being handled drew into the picture
    platform::ScrollInfo m_vInfo{}, m_hInfo{};
    bool m_inScrollAction = false;
    bool m_posSetDuringAction = false;
    // Wheel movement not yet worth a whole step, per bar (angle in eighths of a degree,
    // pixels), and towards the next zoom level.
    int m_angleRest[2] = {0, 0};
    int m_pixelRest[2] = {0, 0};
    int m_zoomRest = 0;
    std::map<int, QBasicTimer> m_timers;
    bool m_announceAfterPlay = false;
};

}  // namespace tabrella::qt
