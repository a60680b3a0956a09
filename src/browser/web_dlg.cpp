#include "browser/web_dlg.h"

#include <QMouseEvent>

namespace {

constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNORMAL = 1;
constexpr int WPF_RESTORETOMAXIMIZED = 2;

} // namespace

CWebDlg::CWebDlg(int pageIndex, std::string url, const WindowPlacement& remembered, const CKvBitmap* frame,
                 IBrowserView* browser)
    : CModelessDlg(res::IDD_WEB, nullptr), m_pageIndex(pageIndex), m_url(std::move(url)),
      m_remembered(remembered), m_frame(frame), m_browser(browser)
{
    CaptionHeight = 30;
    m_close = new CKvImgButton(this);
    m_minimise = new CKvImgButton(this);
    m_maximise = new CKvImgButton(this);
    connect(m_close, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_minimise, &QAbstractButton::clicked, this, [this] { OnMinimise(); });
    connect(m_maximise, &QAbstractButton::clicked, this, [this] { OnMaximise(); });
    if (m_browser != nullptr && m_browser->Widget() != nullptr) {
        m_browser->Widget()->setParent(this);
    }
}

CWebDlg::~CWebDlg() = default;

bool CWebDlg::OnInitDialog()
{
    // A top-level window of its own, with no taskbar entry.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    ApplyPlacement(m_remembered);
    const int flags = CKvImgButton::HasHover | CKvImgButton::HasPressed;
    const std::pair<CKvImgButton*, int> strips[] = {{m_minimise, res::WebMinimiseButton},
                                                    {m_maximise, res::WebMaximiseButton},
                                                    {m_close, res::WebCloseButton}};
    for (const auto& [button, strip] : strips) {
        if (button->LoadImages(strip, flags)) {
            button->setGeometry(241, 5, button->ImageWidth(), button->ImageHeight());
        }
    }
    if (m_browser != nullptr) {
        m_browser->Navigate(m_url);
    }
    m_layoutReady = true;
    Layout();
    return true;
}

void CWebDlg::ApplyPlacement(const WindowPlacement& placement)
{
    if (placement.length != 0) {
        const Rect& n = placement.normalPosition;
        m_normalGeometry = QRect(n.left, n.top, n.right - n.left, n.bottom - n.top);
        setGeometry(m_normalGeometry);
        if (placement.showCmd == SW_SHOWMAXIMIZED) {
            SetMaximised(true);
        }
        return;
    }
    const Rect place = DefaultPageRect();
    m_normalGeometry = QRect(place.left, place.top, place.right - place.left, place.bottom - place.top);
    setGeometry(m_normalGeometry);
}

bool CWebDlg::CreateModeless(QWidget* owner, const Rect*)
{
    // Not owned by the widget: a top-level window of its own.
    OnInitDialog();
    show();
    update();
    NotifyWnd = owner;
    return true;
}

void CWebDlg::Layout()
{
    if (!m_layoutReady) {
        return;
    }
    const QRect c = rect();
    const int w = m_minimise->width();
    const int h = m_minimise->height();
    const int y = c.top() + 6;
    const int right = c.left() + c.width();
    const int x1 = right - 10 - w;
    const int x2 = x1 - 3 - w;
    const int x3 = x2 - 3 - w;
    m_close->setGeometry(x1, y, w, h);
    m_maximise->setGeometry(x2, y, w, h);
    m_minimise->setGeometry(x3, y, w, h);
    if (m_browser != nullptr && m_browser->Widget() != nullptr) {
        const int bottom = c.top() + c.height();
        m_browser->Widget()->setGeometry(c.left() + BorderWidth, c.top() + CaptionHeight,
                                         (right - BorderWidth) - (c.left() + BorderWidth),
                                         (bottom - BorderWidth) - (c.top() + CaptionHeight));
    }
    // The frame's top corners are the key grey wherever the window's corners now are.
    QImage rendered(size(), QImage::Format_RGB32);
    rendered.fill(Qt::white);
    {
        QPainter p(&rendered);
        PaintSkin(p);
    }
    ApplyColourKey(this, rendered);
}

void CWebDlg::resizeEvent(QResizeEvent* event)
{
    CModelessDlg::resizeEvent(event);
    if (m_layoutReady) {
        Layout();
        update();
    }
}

void CWebDlg::PaintSkin(QPainter& dc)
{
    if (m_frame == nullptr) {
        return;
    }
    // Member order of the pieces: top-left, top, top-right, right, bottom-right, bottom, bottom-left, left.
    DrawFrame(dc, rect(), &m_frame[0], &m_frame[1], &m_frame[2], &m_frame[6], &m_frame[5], &m_frame[4],
              &m_frame[7], &m_frame[3]);
}

int CWebDlg::HitTest(const QPoint& p) const
{
    const int l = 0;
    const int t = 0;
    const int r = width();
    const int b = height();
    const int e = ResizeBorder;
    const struct
    {
        QRect area;
        int answer;
    } areas[] = {
        {QRect(QPoint(l, t), QPoint(l + e - 1, t + e - 1)), HTTOPLEFT},
        {QRect(QPoint(r - e, t), QPoint(r - 1, t + e - 1)), HTTOPRIGHT},
        {QRect(QPoint(l, b - e), QPoint(l + e - 1, b - 1)), HTBOTTOMLEFT},
        {QRect(QPoint(r - e, b - e), QPoint(r - 1, b - 1)), HTBOTTOMRIGHT},
        {QRect(QPoint(l, t + e), QPoint(l + e - 1, b - e - 1)), HTLEFT},
        {QRect(QPoint(l + e, t), QPoint(r - e - 1, t + e - 1)), HTTOP},
        {QRect(QPoint(r - e, t + e), QPoint(r - 1, b - e - 1)), HTRIGHT},
        {QRect(QPoint(l + e, b - e), QPoint(r - e - 1, b - 1)), HTBOTTOM},
    };
    for (const auto& area : areas) {
        if (area.area.contains(p)) {
            return area.answer;
        }
    }
    return CModelessDlg::HitTest(p);
}

void CWebDlg::mousePressEvent(QMouseEvent* event)
{
    const int hit = event->button() == Qt::LeftButton ? HitTest(event->position().toPoint()) : HTNOWHERE;
    if (hit != HTCAPTION && hit != HTCLIENT && hit != HTNOWHERE && !m_maximised) {
        // No window manager sizes a frameless window: the window resizes itself from the edge taken.
        m_resizeEdge = hit;
        m_resizeStart = event->globalPosition().toPoint();
        m_geometryAtStart = geometry();
        grabMouse();
        return;
    }
    CModelessDlg::mousePressEvent(event);
}

void CWebDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_resizeEdge == HTNOWHERE) {
        CModelessDlg::mouseMoveEvent(event);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_resizeStart;
    QRect g = m_geometryAtStart;
    const int e = m_resizeEdge;
    const int minimum = 3 * ResizeBorder + 3 * m_minimise->width();
    if (e == HTLEFT || e == HTTOPLEFT || e == HTBOTTOMLEFT) {
        g.setLeft(std::min(g.left() + d.x(), g.right() - minimum));
    }
    if (e == HTRIGHT || e == HTTOPRIGHT || e == HTBOTTOMRIGHT) {
        g.setRight(std::max(g.right() + d.x(), g.left() + minimum));
    }
    if (e == HTTOP || e == HTTOPLEFT || e == HTTOPRIGHT) {
        g.setTop(std::min(g.top() + d.y(), g.bottom() - 2 * CaptionHeight));
    }
    if (e == HTBOTTOM || e == HTBOTTOMLEFT || e == HTBOTTOMRIGHT) {
        g.setBottom(std::max(g.bottom() + d.y(), g.top() + 2 * CaptionHeight));
    }
    MoveWindow(g.x(), g.y(), g.width(), g.height());
}

void CWebDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_resizeEdge != HTNOWHERE && event->button() == Qt::LeftButton) {
        m_resizeEdge = HTNOWHERE;
        if (QWidget::mouseGrabber() == this) {
            releaseMouse();
        }
        m_normalGeometry = geometry();
        return;
    }
    CModelessDlg::mouseReleaseEvent(event);
    if (!m_maximised) {
        m_normalGeometry = geometry();
    }
}

void CWebDlg::OnMinimise()
{
    hide();
    Shown = false;
}

void CWebDlg::SetMaximised(bool on)
{
    if (on == m_maximised) {
        return;
    }
    if (on) {
        m_normalGeometry = geometry();
        setGeometry(PrimaryScreenArea());
    } else {
        setGeometry(m_normalGeometry);
    }
    m_maximised = on;
}

void CWebDlg::OnMaximise()
{
    SetMaximised(!m_maximised);
    m_maximise->update();
}

WindowPlacement CWebDlg::GetPlacement() const
{
    WindowPlacement p;
    p.length = WindowPlacement::StoredSize;
    p.flags = m_maximised ? WPF_RESTORETOMAXIMIZED : 0;
    p.showCmd = m_maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    p.minPosition = {-1, -1};
    p.maxPosition = {-1, -1};
    const QRect n = m_maximised ? m_normalGeometry : geometry();
    p.normalPosition = {n.left(), n.top(), n.left() + n.width(), n.top() + n.height()};
    return p;
}

void CWebDlg::OnCancel()
{
    if (m_browser != nullptr) {
        m_browser->Stop();
        if (QWidget* view = m_browser->Widget()) {
            view->hide();
        }
    }
    if (NotifyWnd != nullptr) {
        PostWindowMessage(NotifyWnd, WM_WEBDLG_CLOSED, 1, reinterpret_cast<std::intptr_t>(this));
    }
}
