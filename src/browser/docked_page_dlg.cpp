#include "browser/docked_page_dlg.h"

#include "log/file_log.h"
#include "platform/text.h"
#include "ui/skin/message_box.h"

CDockedPageDlg::CDockedPageDlg(int templateId, int background, int closeStrip, int closeY, std::string url,
                               IBrowserView* browser)
    : CModelessDlg(templateId, nullptr), m_backgroundId(background), m_closeStrip(closeStrip),
      m_closeY(closeY), m_url(std::move(url)), m_browser(browser)
{
    CaptionHeight = TitleHeight;
    m_close = new CKvImgButton(this);
    connect(m_close, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    if (m_browser != nullptr && m_browser->Widget() != nullptr) {
        m_browser->Widget()->setParent(this);
    }
}

bool CDockedPageDlg::OnInitDialog()
{
    ApplyToolWindowStyle(this);
    Background.LoadBitmap(m_backgroundId);
    if (m_close->LoadImages(m_closeStrip, CKvImgButton::HasHover | CKvImgButton::HasPressed)) {
        m_close->setGeometry(241, m_closeY, m_close->ImageWidth(), m_close->ImageHeight());
    }
    if (m_browser != nullptr) {
        m_browser->Navigate(m_url);
    }
    return true;
}

bool CDockedPageDlg::CreateModeless(QWidget* owner, const Rect* rect)
{
    if (!CModelessDlg::CreateModeless(owner, rect)) {
        return false;
    }
    if (m_browser != nullptr && m_browser->Widget() != nullptr) {
        m_browser->Widget()->setGeometry(0, TitleHeight, width(), height() - TitleHeight);
    }
    ApplyRoundedRegion(this);
    return true;
}

bool CDockedPageDlg::DockToFirst(const std::function<bool(const Rect&)>& dock)
{
    if (!isVisible() || !DockTargets) {
        return false;
    }
    for (const Rect& target : DockTargets()) {
        if (dock(target)) {
            return true;
        }
    }
    return false;
}

void CDockedPageDlg::OnWindowPosChanging(WindowPos& pos)
{
    ProcessLog().WriteLog(7, "OnWindowPosChanging : pt(%d, %d)\n", pos.x, pos.y);
    DockToFirst([&pos](const Rect& target) { return ::SnapWhileMoving(pos, target); });
}

void CDockedPageDlg::OnWindowPosChanged(const WindowPos& pos)
{
    ProcessLog().WriteLog(7, "OnWindowPosChanged : pt(%d, %d)\n", pos.x, pos.y);
    DockToFirst([this, &pos](const Rect& target) { return SnapAfterMove(pos, target); });
}

CWeatherDlg::CWeatherDlg(std::string url, IBrowserView* browser)
    : CDockedPageDlg(res::IDD_WEATHER, res::WeatherTitle, res::WeatherCloseButton, 3, std::move(url), browser)
{
}

CFactoryDlg::CFactoryDlg(std::string url, const std::string& plantCaption, IBrowserView* browser)
    : CDockedPageDlg(res::IDD_FACTORY, res::FactoryTitle, res::FactoryCloseButton, 5, std::move(url),
                     browser),
      m_title(plantCaption + platform::Utf8ToCp949(" 시간대별 출하량"))
{
    setWindowTitle(FromCp949(m_title));
}

void CFactoryDlg::PaintSkin(QPainter& dc)
{
    DrawBitmap(dc, Background, Background.Width(), Background.Height());
    CKvFont font;
    font.Desc.Height = FontHeightForPoints(9, logicalDpiY());
    font.Desc.Weight = 700;
    font.Desc.FaceName = "굴림";
    font.TextColor = RGB(255, 255, 255);
    font.Realize();
    // Right and bottom exclusive, as the title band's rectangle is.
    font.Draw(dc, FromCp949(m_title), QRect(10, 4, width() - 10, CaptionHeight - 4),
              DT_SINGLELINE | DT_VCENTER);
}
