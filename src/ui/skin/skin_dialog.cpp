#include "ui/skin/skin_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

CWGDialog::CWGDialog(int templateId, QWidget* parent) : QDialog(parent), m_templateId(templateId)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CWGDialog::DoModal()
{
    setResult(0);
    OnInitDialog();
    show();
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec();
    m_modalLoop = nullptr;
    return result();
}

void CWGDialog::EndDialog(int result)
{
    setResult(result);
    hide();
    if (m_modalLoop != nullptr) {
        m_modalLoop->exit();
    }
}

void CWGDialog::PaintSkin(QPainter& dc)
{
    if (!Background.IsNull()) {
        DrawBitmap(dc, Background, Background.Width(), Background.Height());
    }
}

bool CWGDialog::InDragBand(const QPoint& clientPoint) const
{
    return QRect(0, 0, width(), CaptionHeight).contains(clientPoint);
}

int CWGDialog::HitTest(const QPoint& clientPoint) const
{
    return InDragBand(clientPoint) ? HTCAPTION : HTCLIENT;
}

void CWGDialog::MoveWindow(int x, int y, int cx, int cy)
{
    WindowPos pos{x, y, cx, cy};
    OnWindowPosChanging(pos);
    const QRect now = frameGeometry();
    if (pos.x == now.x() && pos.y == now.y() && pos.cx == now.width() && pos.cy == now.height()) {
        return;
    }
    if (pos.cx != width() || pos.cy != height()) {
        resize(pos.cx, pos.cy);
    }
    move(pos.x, pos.y);
    OnWindowPosChanged(pos);
}

bool CWGDialog::SnapAfterMove(const WindowPos& moved, const Rect& target)
{
    WindowPos docked = moved;
    if (!::SnapAfterMove(docked, target)) {
        return false;
    }
    MoveWindow(docked.x, docked.y, docked.cx, docked.cy);
    return true;
}

void CWGDialog::OnWindowMessage(int, std::intptr_t, std::intptr_t) {}

void CWGDialog::paintEvent(QPaintEvent* event)
{
    m_paintArea = event->region();
    QPainter painter(this);
    PaintSkin(painter);
    m_paintArea = QRegion();
}

void CWGDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !StartsDrag(event->position().toPoint())) {
        QDialog::mousePressEvent(event);
        return;
    }
    m_dragStart = m_dragLast = event->globalPosition().toPoint();
    m_dragging = true;
    grabMouse();
    m_dragRect = WindowRect(this);
    OnDragBegin();
}

void CWGDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    if (QWidget::mouseGrabber() != this) {
        EndDrag();
        return;
    }
    const QPoint cursor = event->globalPosition().toPoint();
    if (cursor == m_dragLast) {
        return;
    }
    const int dx = cursor.x() - m_dragStart.x();
    const int dy = cursor.y() - m_dragStart.y();
    MoveWindow(m_dragRect.left + dx, m_dragRect.top + dy, m_dragRect.right - m_dragRect.left,
               m_dragRect.bottom - m_dragRect.top);
    OnDragMove(dx, dy);
    m_dragLast = cursor;
}

void CWGDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        EndDrag();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void CWGDialog::EndDrag()
{
    m_dragging = false;
    OnDragEnd();
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void CWGDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnOK();
        return;
    case Qt::Key_Escape:
        OnCancel();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CWGDialog::closeEvent(QCloseEvent* event)
{
    // The platform's close request (Alt+F4) is the cancel command; whether the window goes is the
    // window's own decision.
    event->ignore();
    OnCancel();
}

bool CWGDialog::event(QEvent* event)
{
    if (const auto* message = dynamic_cast<CWindowMessageEvent*>(event)) {
        OnWindowMessage(message->Message(), message->WParam, message->LParam);
        return true;
    }
    return QDialog::event(event);
}

bool CModelessDlg::CreateModeless(QWidget* notify, const Rect* rect)
{
    if (notify != nullptr && parentWidget() != notify) {
        setParent(notify, windowFlags());
    }
    OnInitDialog();
    if (rect != nullptr) {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    }
    if (Shown) {
        show();
    }
    update();
    NotifyWnd = notify;
    return true;
}

void CModelessDlg::OnCancel()
{
    if (NotifyWnd != nullptr) {
        PostWindowMessage(NotifyWnd, WM_MODELESS_CLOSED, 1, GetTemplateId());
    }
}
