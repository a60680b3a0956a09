#include "ui/windows/mini_bar_dlg.h"

#include "platform/text.h"
#include "resource_ids.h"
#include "settings/environment.h"
#include "ui/windows/main_dlg.h"
#include "ui/windows/message_box.h"

#include <QBitmap>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

struct ButtonSpec
{
    int ControlId;
    int Bitmap;
    int X;
    int Y;
};

const ButtonSpec kButtons[7] = {
    {res::IDC_OFFICE, res::MiniRestoreButton, 323, 0},  {res::IDC_CLOSE, res::MiniCloseButton, 338, 0},
    {res::IDC_MAP, res::MiniMapButton, 102, 17},        {res::IDC_SITE, res::MiniSiteButton, 135, 17},
    {res::IDC_VEHICLE, res::MiniVehicleButton, 168, 17}, {res::IDC_SHIPMENT, res::MiniShipmentButton, 201, 17},
    {res::IDC_SMS, res::MiniSmsButton, 234, 17},
};

QRegion RoundRectRegion(const QRect& r, int corner)
{
    QBitmap shape(r.right() + 1, r.bottom() + 1);
    shape.fill(Qt::color0);
    QPainter p(&shape);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawRoundedRect(r, corner / 2.0, corner / 2.0);
    p.end();
    return QRegion(shape);
}

} // namespace

CMiniBarDlg::CMiniBarDlg(CMainDlg& main) : CModelessDlg(res::IDD_MINIBAR, nullptr), m_main(main)
{
    // Owned by the main window: no taskbar entry of its own.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    CaptionHeight = 39;
    Shown = true;
    for (int i = 0; i < 7; ++i) {
        m_buttons[i] = new CKvImgButton(this);
        const int id = kButtons[i].ControlId;
        connect(m_buttons[i], &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    }
}

int CMiniBarDlg::GetTemplateId() const { return res::IDD_MINIBAR; }

CKvImgButton* CMiniBarDlg::Button(int controlId) const
{
    for (int i = 0; i < 7; ++i) {
        if (kButtons[i].ControlId == controlId) {
            return m_buttons[i];
        }
    }
    return nullptr;
}

bool CMiniBarDlg::OnInitDialog()
{
    setWindowTitle(QString::fromUtf8(MiniBarWindowText));
    Background.LoadBitmap(res::MiniBackground);
    for (int i = 0; i < 7; ++i) {
        if (m_buttons[i]->LoadImages(kButtons[i].Bitmap, CKvImgButton::HasHover | CKvImgButton::HasPressed)) {
            m_buttons[i]->setGeometry(kButtons[i].X, kButtons[i].Y, m_buttons[i]->ImageWidth(),
                                      m_buttons[i]->ImageHeight());
        }
    }
    return true;
}

QRegion CMiniBarDlg::Shape() const
{
    const QSize tab = m_buttons[1]->size();
    return RoundRectRegion(QRect(0, 10, Background.Width() + 1 - 0, Background.Height() + 1 - 10), 9)
        .united(RoundRectRegion(QRect(323, 0, tab.width() + 1, tab.height() + 1), 2))
        .united(RoundRectRegion(QRect(338, 0, tab.width() + 1, tab.height() + 1), 2))
        .intersected(QRegion(0, 0, Background.Width(), Background.Height()));
}

bool CMiniBarDlg::CreateAt(QWidget* owner, int x, int y)
{
    NotifyWnd = owner;
    OnInitDialog();
    move(x, y);
    setFixedSize(Background.Width(), Background.Height());
    setMask(Shape());
    m_created = true;
    if (Shown) {
        show();
    }
    update();
    return true;
}

bool CMiniBarDlg::CreateModeless(QWidget* owner, const Rect* rect)
{
    return rect != nullptr ? CreateAt(owner, rect->left, rect->top) : CreateAt(owner, x(), y());
}

void CMiniBarDlg::Show()
{
    show();
    raise();
    activateWindow();
}

void CMiniBarDlg::Destroy()
{
    m_created = false;
    hide();
}

void CMiniBarDlg::PaintSkin(QPainter& dc)
{
    CKvMemDC off(&dc, rect());
    QPainter& p = off.Painter();
    if (!Background.IsNull()) {
        DrawBitmap(p, Background, Background.Width(), Background.Height());
    }
    const StatusRecord& status = m_main.Status();
    const std::string summary = platform::Utf8ToCp949("예정량:") + status.PlannedVolume +
                                platform::Utf8ToCp949(", 출하량:") + status.ShippedVolume +
                                platform::Utf8ToCp949(", 대기차량:") + std::to_string(status.WaitingCount);
    CKvFont summaryFont;
    summaryFont.Desc.FaceName = "굴림";
    summaryFont.Desc.Height = FontHeightForPoints(9, logicalDpiY());
    summaryFont.Desc.Weight = 700;
    summaryFont.TextColor = RGB(4, 98, 153);
    summaryFont.Realize();
    CKvFont extraFont;
    extraFont.Desc = summaryFont.Desc;
    extraFont.TextColor = RGB(255, 108, 0);
    extraFont.Realize();
    const unsigned centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    summaryFont.Draw(p, FromCp949(summary), QRect(20, 39, 333 - 20, 60 - 39), centred);
    extraFont.Draw(p, FromCp949(status.Extra), QRect(270, 17, 346 - 270, 34 - 17), centred);
}

void CMiniBarDlg::OnCommand(int id)
{
    switch (id) {
    case res::IDC_OFFICE:
        OnCancel();
        return;
    case res::IDC_CLOSE:
        PostWindowMessage(&m_main, WM_MODELESS_CLOSED, 2, 0);
        return;
    case res::IDC_MAP:
        m_main.TogglePage(Map);
        return;
    case res::IDC_SITE:
        m_main.TogglePage(Site);
        return;
    case res::IDC_VEHICLE:
        m_main.TogglePage(Vehicle);
        return;
    case res::IDC_SHIPMENT:
        m_main.TogglePage(Shipment);
        return;
    case res::IDC_SMS:
        m_main.TogglePage(Sms);
        return;
    default:
        return;
    }
}

void CMiniBarDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The main window's menu, carried out by the main window although it is hidden.
    QMenu menu(this);
    m_main.FillContextMenu(menu);
    menu.exec(event->globalPos());
}

void CMiniBarDlg::mousePressEvent(QMouseEvent* event)
{
    CWGDialog::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !QRect(0, 0, width(), CaptionHeight).contains(event->position().toPoint())) {
        return;
    }
    m_dragStart = m_dragLast = event->globalPosition().toPoint();
    m_dragging = true;
    grabMouse();
    m_glueWeather = false;
    m_dragRect = WindowRect(this);
    if (IOwnedWindow* weather = m_main.WeatherDlg()) {
        m_glueWeather = IsAdjacent(m_dragRect, weather->GetWindowRect());
        m_dragRectWeather = weather->GetWindowRect();
    }
}

void CMiniBarDlg::EndDrag()
{
    m_glueWeather = m_dragging = false;
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void CMiniBarDlg::mouseMoveEvent(QMouseEvent* event)
{
    CWGDialog::mouseMoveEvent(event);
    if (!m_dragging) {
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
    if (IOwnedWindow* weather = m_main.WeatherDlg(); weather != nullptr && m_glueWeather) {
        weather->MoveTo(m_dragRectWeather.left + dx, m_dragRectWeather.top + dy);
    }
    m_dragLast = cursor;
}

void CMiniBarDlg::mouseReleaseEvent(QMouseEvent* event)
{
    CWGDialog::mouseReleaseEvent(event);
    if (m_dragging) {
        EndDrag();
    }
}

void CMiniBarDlg::OnWindowPosChanged(const WindowPos& pos)
{
    IOwnedWindow* weather = m_main.WeatherDlg();
    if (isVisible() && weather != nullptr && !m_main.GlueWeather() && !m_glueWeather) {
        SnapAfterMove(pos, weather->GetWindowRect());
    }
}
