#include "ui/windows/mini_bar_dlg.h"

#include "platform/text.h"
#include "resource_ids.h"
#include "settings/environment.h"
#include "ui/skin/message_box.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

const char* const MiniBarWindowText = "외부용 위젯";

namespace {

const ImgButtonSpec kButtons[] = {
    {res::IDC_OFFICE, res::MiniRestoreButton, 323, 0},
    {res::IDC_CLOSE, res::MiniCloseButton, 338, 0},
    {res::IDC_MAP, res::MiniMapButton, 102, 17},
    {res::IDC_SITE, res::MiniSiteButton, 135, 17},
    {res::IDC_VEHICLE, res::MiniVehicleButton, 168, 17},
    {res::IDC_SHIPMENT, res::MiniShipmentButton, 201, 17},
    {res::IDC_SMS, res::MiniSmsButton, 234, 17},
};

} // namespace

CMiniBarDlg::CMiniBarDlg(IMiniBarOwner& owner) : CModelessDlg(res::IDD_MINIBAR, nullptr), m_owner(owner)
{
    // Owned by the main window: no taskbar entry of its own.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    CaptionHeight = 39;
    Shown = true;
    m_buttons.Create(this, kButtons, [this](int id) { OnCommand(id); });
}

int CMiniBarDlg::GetTemplateId() const
{
    return res::IDD_MINIBAR;
}

bool CMiniBarDlg::OnInitDialog()
{
    setWindowTitle(QString::fromUtf8(MiniBarWindowText));
    Background.LoadBitmap(res::MiniBackground);
    m_buttons.LoadImages();
    return true;
}

QRegion CMiniBarDlg::Shape() const
{
    const QSize tab = m_buttons.Button(res::IDC_CLOSE)->size();
    return RoundedRegion(QRect(0, 10, Background.Width() + 1 - 0, Background.Height() + 1 - 10), 9)
        .united(RoundedRegion(QRect(323, 0, tab.width() + 1, tab.height() + 1), 2))
        .united(RoundedRegion(QRect(338, 0, tab.width() + 1, tab.height() + 1), 2))
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
    Repaint();
    return true;
}

bool CMiniBarDlg::CreateModeless(QWidget* owner, const Rect* rect)
{
    return rect != nullptr ? CreateAt(owner, rect->left, rect->top) : CreateAt(owner, x(), y());
}

void CMiniBarDlg::Repaint()
{
    setToolTip(m_owner.FreshnessTip());
    update();
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
    CWGDialog::PaintSkin(p);
    const StatusRecord& status = m_owner.Status();
    const std::string summary = platform::Utf8ToCp949("예정량:") + status.PlannedVolume +
                                platform::Utf8ToCp949(", 출하량:") + status.ShippedVolume +
                                platform::Utf8ToCp949(", 대기차량:") + std::to_string(status.WaitingCount);
    CKvFont summaryFont;
    summaryFont.Desc.FaceName = "굴림";
    summaryFont.Desc.Height = FontHeightForPoints(9, logicalDpiY());
    summaryFont.Desc.Weight = 700;
    summaryFont.TextColor = m_owner.FiguresStale() ? StaleTextColour : RGB(4, 98, 153);
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
    if (id == res::IDC_OFFICE) {
        OnCancel();
    } else if (id == res::IDC_CLOSE) {
        PostWindowMessage(NotifyWnd, WM_MODELESS_CLOSED, 2, 0);
    } else if (const int page = PageForCommand(id); page >= 0) {
        // The page buttons act exactly as the widget's own; the pages belong to the widget.
        m_owner.TogglePage(page);
    }
}

void CMiniBarDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The main window's menu, carried out by the main window although it is hidden.
    QMenu menu(this);
    m_owner.FillContextMenu(menu);
    menu.exec(event->globalPos());
}

void CMiniBarDlg::OnDragBegin()
{
    m_glueWeather = false;
    if (IOwnedWindow* weather = m_owner.WeatherDlg()) {
        m_glueWeather = IsAdjacent(WindowRect(this), weather->GetWindowRect());
        m_dragRectWeather = weather->GetWindowRect();
    }
}

void CMiniBarDlg::OnDragMove(int dx, int dy)
{
    if (IOwnedWindow* weather = m_owner.WeatherDlg(); weather != nullptr && m_glueWeather) {
        weather->MoveTo(m_dragRectWeather.left + dx, m_dragRectWeather.top + dy);
    }
}

void CMiniBarDlg::OnWindowPosChanged(const WindowPos& pos)
{
    IOwnedWindow* weather = m_owner.WeatherDlg();
    if (isVisible() && weather != nullptr && !m_owner.GlueWeather() && !m_glueWeather) {
        SnapAfterMove(pos, weather->GetWindowRect());
    }
}
