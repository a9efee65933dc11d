// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtViewWidget.h"

#include <QAccessible>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>
#include <QUrl>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>

#include "qt/KeyTranslation.h"
#include "qt/PrintModule.h"
#include "qt/QtSurface.h"
#include "qt/QtText.h"
#include "qt/ViewAccessible.h"
#include "qt/X11Keyboard.h"
#include "resources/ShellTexts.h"
#include "resources/SpeechTexts.h"
#include "resources/Texts.h"

namespace tabrella::qt {

using platform::ScrollBar;
using platform::ScrollRequest;

// A surface on the widget's picture; the widget shows the result when it goes.
class QtViewWidget::ImageSurface : public PictureSurface {
  public:
    explicit ImageSurface(QtViewWidget& widget)
        : PictureSurface(&widget.m_image), m_widget(widget) {}
    ~ImageSurface() override {
        painter.end();
        const QRect drawn =
            Limit() ? *Limit() & m_widget.viewport()->rect() : m_widget.viewport()->rect();
        m_widget.viewport()->update(drawn);
        m_widget.m_drawnForKey |= drawn;
    }

  private:
    QtViewWidget& m_widget;
};

QtViewWidget::QtViewWidget(QWidget* parent) : QAbstractScrollArea(parent) {
    ViewAccessible::InstallFactory();
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollAction(ScrollBar::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollAction(ScrollBar::Horizontal, action); });
    verticalScrollBar()->setAccessibleName(FromSjis(res::Sjis(res::SpeechTxt::ScrollVertical)));
    horizontalScrollBar()->setAccessibleName(FromSjis(res::Sjis(res::SpeechTxt::ScrollHorizontal)));
}

QtViewWidget::~QtViewWidget() = default;

void QtViewWidget::EnsureImage() {
    // The picture has a pixel for every pixel of the screen, so the page is drawn as
    // sharp as the menus at any scale; the view still counts in the widget's pixels.
    const QSize size = viewport()->size().expandedTo(QSize(1, 1));
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize pixels(qCeil(size.width() * ratio), qCeil(size.height() * ratio));
    if (m_image.size() != pixels || m_image.devicePixelRatio() != ratio) {
        m_image = QImage(pixels, QImage::Format_RGB32);
        m_image.setDevicePixelRatio(ratio);
        m_image.fill(Qt::white);
        m_needsPaint = true;
    }
}

void QtViewWidget::Invalidate() {
    m_needsPaint = true;
    viewport()->update();
}

std::unique_ptr<platform::IDrawSurface> QtViewWidget::GetSurface(bool erase) {
    EnsureImage();
    if (erase) m_image.fill(Qt::white);
    return std::make_unique<ImageSurface>(*this);
}

platform::ClientSize QtViewWidget::GetClientSize() const {
    return {viewport()->width(), viewport()->height()};
}

void QtViewWidget::paintEvent(QPaintEvent*) {
    EnsureImage();
    if (m_needsPaint && m_view) {
        m_needsPaint = false;
        m_image.fill(Qt::white);
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QtSurface surface(painter);
        m_view->OnPaint(surface);
    }
    QPainter(viewport()).drawImage(0, 0, m_image);
}

QScrollBar* QtViewWidget::Bar(ScrollBar bar) const {
    return bar == ScrollBar::Vertical ? verticalScrollBar() : horizontalScrollBar();
}

void QtViewWidget::SetScrollRange(ScrollBar bar, int min, int max, int page) {
    platform::ScrollInfo& info = bar == ScrollBar::Vertical ? m_vInfo : m_hInfo;
    info.min = min;
    info.max = max;
    info.page = page;
    // A bar with a page reaches max - page + 1 at most.
    QScrollBar* q = Bar(bar);
    const QSignalBlocker block(q);
    q->setRange(min, std::max(min, max - std::max(page, 1) + 1));
    q->setPageStep(std::max(page, 1));
}

platform::ScrollInfo QtViewWidget::GetScrollInfo(ScrollBar bar) const {
    platform::ScrollInfo info = bar == ScrollBar::Vertical ? m_vInfo : m_hInfo;
    info.pos = Bar(bar)->value();
    return info;
}

void QtViewWidget::SetScrollPos(ScrollBar bar, int pos) {
    QScrollBar* q = Bar(bar);
    const int clamped = std::clamp(pos, q->minimum(), q->maximum());
    if (m_inScrollAction) {
        m_posSetDuringAction = true;
        q->setSliderPosition(clamped);
    } else {
        const QSignalBlocker block(q);
        q->setValue(clamped);
    }
}

void QtViewWidget::OnScrollAction(ScrollBar bar, int action) {
    if (!m_view) return;
    ScrollRequest request;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            request = ScrollRequest::LineUp;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            request = ScrollRequest::LineDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = ScrollRequest::PageUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = ScrollRequest::PageDown;
            break;
        case QAbstractSlider::SliderMove:
            request = ScrollRequest::ThumbTrack;
            break;
        case QAbstractSlider::SliderToMinimum:
            request = ScrollRequest::Top;
            break;
        case QAbstractSlider::SliderToMaximum:
            request = ScrollRequest::Bottom;
            break;
        default:
            return;
    }
    QScrollBar* q = Bar(bar);
    const int before = q->value();
    m_inScrollAction = true;
    m_posSetDuringAction = false;
    m_view->OnScroll(bar, request, q->sliderPosition());
    m_inScrollAction = false;
    // The view decides where the bar stands; without a decision it stays.
    if (!m_posSetDuringAction) q->setSliderPosition(before);
}

namespace {
constexpr int kNotch = 120;  // angle of one wheel notch, in eighths of a degree

// Adds a movement to what was left over and takes the whole steps out of it. A turn the
// other way drops what the old direction had gathered.
int TakeSteps(int& rest, int delta, int stepSize) {
    if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0)) rest = 0;
    rest += delta;
    const int steps = rest / stepSize;
    rest -= steps * stepSize;
    return steps;
}
}  // namespace

void QtViewWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!m_view) return;
    const QPoint angle = event->angleDelta();
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        // Ctrl+wheel steps through the zoom levels, one notch a level.
        const int delta = angle.y() != 0 ? angle.y() : angle.x();
        if (const int steps = TakeSteps(m_zoomRest, delta, kNotch)) m_view->OnZoomStep(steps);
        Handled();
        return;
    }
    QPoint pixels = event->pixelDelta();
    QPoint turn = angle;
    // Shift turns the wheel sideways, as in most programs.
    if (event->modifiers().testFlag(Qt::ShiftModifier) && turn.x() == 0) {
        turn = turn.transposed();
        pixels = pixels.transposed();
    }
    WheelLines(ScrollBar::Vertical, turn.y(), pixels.y());
    WheelLines(ScrollBar::Horizontal, turn.x(), pixels.x());
    Handled();
}

void QtViewWidget::WheelLines(ScrollBar bar, int angle, int pixels) {
    const size_t i = bar == ScrollBar::Vertical;
    int lines = 0;
    if (pixels != 0) {
        // A touchpad tells pixels: the page moves by its own line steps as they add up.
        const int linePixels = m_view->LinePixels(bar);
        lines = linePixels > 0 ? TakeSteps(m_pixelRest[i], pixels, linePixels) : 0;
    } else if (angle != 0) {
        // A notch is one line; finer wheels give parts of a notch that add up to it.
        lines = TakeSteps(m_angleRest[i], angle, kNotch);
    }
    for (int n = 0; n < std::abs(lines); ++n) {
        m_view->OnScroll(bar, lines > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown, 0);
    }
}

void QtViewWidget::Handled() {
    if (onInput) onInput();
}

QString QtViewWidget::CursorDescription() const {
    return m_view ? FromSjis(m_view->CursorDescription())
                  : FromSjis(res::Sjis(res::SpeechTxt::ScoreArea));
}

void QtViewWidget::AnnounceCursor(bool always) {
    // The view's only timer is the one that steps the playing cursor.
    const bool stepping = std::any_of(m_timers.begin(), m_timers.end(),
                                      [](const auto& timer) { return timer.second.isActive(); });
    if (stepping) {
        m_announceAfterPlay = true;
        return;
    }
    if (!always && !m_announceAfterPlay) return;
    m_announceAfterPlay = false;
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
}

void QtViewWidget::keyPressEvent(QKeyEvent* event) {
    if (!m_view) return;
    const KeyPress press{event->key(), event->modifiers(), event->nativeScanCode(), event->text()};
    const int code = TranslateKey(press, CurrentKeyboardLayout());
    m_drawnForKey = {};
    if (code != kNoKey) m_view->OnKeyDown(code);
    event->accept();
    // What the key drew reaches the screen at once, before the status bar and the screen
    // reader are told (the status bar repaints whole on every new text).
    if (m_needsPaint) {
        viewport()->repaint();
    } else if (!m_drawnForKey.isEmpty()) {
        viewport()->repaint(m_drawnForKey);
    }
    Handled();
    AnnounceCursor(true);
}

void QtViewWidget::mousePressEvent(QMouseEvent* event) {
    if (!m_view) return;
    if (event->button() == Qt::LeftButton) m_view->OnMouse(platform::MouseEvent::LeftDown);
    if (event->button() == Qt::RightButton) m_view->OnMouse(platform::MouseEvent::RightDown);
    Handled();
    AnnounceCursor(true);
}

void QtViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_view) return;
    if (event->button() == Qt::LeftButton) m_view->OnMouse(platform::MouseEvent::LeftDoubleClick);
    if (event->button() == Qt::RightButton) {
        m_view->OnMouse(platform::MouseEvent::RightDoubleClick);
    }
    Handled();
    AnnounceCursor(true);
}

void QtViewWidget::SetTimer(int id, int intervalMs) {
    m_timers[id].start(std::max(intervalMs, 1), Qt::PreciseTimer, this);
}

void QtViewWidget::KillTimer(int id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second.stop();
}

void QtViewWidget::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : m_timers) {
        if (timer.timerId() == event->timerId()) {
            if (m_view) m_view->OnTimer(id);
            Handled();  // playback steps the cursor on its own
            AnnounceCursor(false);
            return;
        }
    }
    QAbstractScrollArea::timerEvent(event);
}

void QtViewWidget::SetCaption(std::string_view sjis) {
    if (onCaption) onCaption(FromSjis(sjis));
}

void QtViewWidget::SetPathCaption(std::string_view nativePath) {
    if (onCaption) onCaption(QFileInfo(FromNativePath(nativePath)).fileName());
}

void QtViewWidget::ReportWritten(std::string_view nativePath) {
    if (onNews) {
        onNews(FromSjis(res::Sjis(res::ShellTxt::WrittenFormat)).arg(FromNativePath(nativePath)));
    }
}

void QtViewWidget::CloseMainWindow() {
    if (onCloseMainWindow) onCloseMainWindow();
}

void QtViewWidget::ShowHelp() {
    if (onHelp) onHelp();
}

void QtViewWidget::ShowAbout() {
    if (onAbout) onAbout();
}

void QtViewWidget::RunPrintJob(platform::PrintJob job, const platform::PrintPages& pages) {
    QString error;
    if (const PrintModuleEntry* printing = LoadPrintModule(error)) {
        const QString pdf = printing->runPrintJob(this, job, pages);
        if (!pdf.isEmpty()) ReportWritten(ToNativePath(pdf));
    } else {
        QMessageBox::critical(this, FromSjis(res::Sjis(res::Txt::AppTitle)), error);
    }
}

}  // namespace tabrella::qt
