#pragma once

// What the main widget window needs of the windows it owns beside itself (weather, plant and page
// windows, the mini bar) and of the notification-area icon. The windows themselves come from their
// own modules (the page windows live in the browser helper process and are seen here through
// proxies); IMainWindowParts makes them.

#include "feed/status_feed.h"
#include "platform/typed_ptr_list.h"
#include "settings/geometry.h"
#include "ui/skin/draw_kit.h"

#include <QString>

#include <memory>

class QMenu;
class QWidget;

// The page a page button or menu command opens (a ServiceUrlIndex), or -1 for any other command.
int PageForCommand(int commandId);

class IOwnedWindow
{
public:
    virtual ~IOwnedWindow() = default;

    virtual bool CreateModeless(QWidget* owner, const Rect* rect) = 0;
    virtual bool HasWindow() const = 0;
    virtual bool IsVisible() const = 0;
    virtual Rect GetWindowRect() const = 0;
    // Keeps the size.
    virtual void MoveTo(int x, int y) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Destroy() = 0;
};

class IWebWindow : public IOwnedWindow
{
public:
    virtual int PageIndex() const = 0;
    virtual WindowPlacement GetPlacement() const = 0;

    bool Shown = true;
};

// The main window's page windows; in the widget each is the proxy of a window of the helper.
using CWebDlgList = CKvSafeTypedPtrList<IWebWindow>;

class IMiniBar : public IOwnedWindow
{
public:
    // Creates and shows the bar with its top-left corner at (x, y).
    virtual bool CreateAt(QWidget* owner, int x, int y) = 0;
    virtual void Repaint() = 0;
    bool CreateModeless(QWidget* owner, const Rect* rect) override
    {
        return rect != nullptr && CreateAt(owner, rect->left, rect->top);
    }
};

// What stale figures are drawn in, on the widget and on the bar.
constexpr COLORREF StaleTextColour = RGB(150, 150, 150);

// What the mini bar needs of the window it stands in for: the figures, the page buttons, the menu,
// and the weather window it may carry along or dock to.
class IMiniBarOwner
{
public:
    virtual ~IMiniBarOwner() = default;
    virtual const StatusRecord& Status() const = 0;
    virtual void TogglePage(int index) = 0;
    // Fills a context menu whose commands the owner carries out.
    virtual void FillContextMenu(QMenu& menu) = 0;
    virtual IOwnedWindow* WeatherDlg() const = 0;
    // Whether the owner's drag is carrying the weather window right now.
    virtual bool GlueWeather() const = 0;
    // Whether the figures are stale, and what a tooltip says of them then (empty while fresh).
    virtual bool FiguresStale() const = 0;
    virtual QString FreshnessTip() const = 0;
};

class ITrayIcon
{
public:
    virtual ~ITrayIcon() = default;
    virtual bool AddIcon(QWidget* owner) = 0;
    virtual void SetIcon(int iconId) = 0;
    virtual void RemoveIcon() = 0;
    virtual bool IsAdded() const = 0;
    // The icon's tooltip; empty gives back its usual one.
    virtual void SetTip(const QString& tip) = 0;
    // A WM_TRAY_NOTIFY that reached the owner.
    virtual void HandleNotification(long wParam, long lParam) = 0;
};

class IMainWindowParts
{
public:
    virtual ~IMainWindowParts() = default;
    // Each may answer null when that kind of window cannot be made here.
    virtual std::unique_ptr<IOwnedWindow> NewWeatherDlg() = 0;
    virtual std::unique_ptr<IOwnedWindow> NewFactoryDlg() = 0;
    virtual std::unique_ptr<IWebWindow> NewWebDlg(int pageIndex) = 0;
    virtual std::unique_ptr<IMiniBar> NewMiniBar() = 0;
    virtual ITrayIcon* TrayIcon() = 0;
};
