#pragma once

// The widget's end of the link with its browser helper (pellamo-web). The windows that show web
// pages live in the helper, so that the widget never carries a web engine; the widget keeps a proxy
// per window that holds the rectangle and placement the helper last reported, so that glued drags,
// docking and remembering places work as for the widget's own windows. The helper starts with the
// first such window and is let go when the last one is destroyed; a helper that dies or cannot be
// started makes its windows close as if the user had closed them, with their last known places.

#include "ui/windows/main_parts.h"
#include "weblink/web_channel.h"

#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CWebWindowProxy;

class CWebLink : public QObject
{
    Q_OBJECT
public:
    // Starts a helper that connects to serverName; answers the process, or null when none could be
    // started. The default runs pellamo-web from the program's own folder.
    using Launcher = std::function<QProcess*(const QString& serverName)>;

    // owner: the widget, the windows' anchor for docking and the receiver of their close requests.
    explicit CWebLink(QWidget* owner);
    ~CWebLink() override;

    void SetLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    // How long a started helper may take to connect.
    void SetConnectTimeout(int ms) { m_connectTimeout.setInterval(ms); }

    std::unique_ptr<IWebWindow> NewPage(int pageIndex, const std::string& address,
                                        const WindowPlacement& remembered);
    std::unique_ptr<IOwnedWindow> NewWeather(const std::string& address);
    std::unique_ptr<IOwnedWindow> NewFactory(const std::string& address, const std::string& plantCaption);

    bool Connected() const { return m_channel.Attached(); }
    int HelperStarts() const { return m_starts; }
    // The running helpers, the one being let go included.
    std::vector<qint64> HelperPids() const;

    static QString DefaultHelperPath();
    // Runs a helper program with the link's name; null, and logged, when it does not start.
    static QProcess* StartHelper(const QString& program, const QString& serverName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CWebWindowProxy;

    bool Open(CWebWindowProxy& proxy, const std::string& geometry);
    void Destroyed(CWebWindowProxy& proxy);
    void Forget(CWebWindowProxy& proxy);
    void Send(WebMessageType type, std::vector<std::string> fields);
    bool EnsureHelper();
    void OnNewConnection();
    void Handle(const WebMessage& message);
    // Asks the owner to close the window, as the user's close button would.
    void PostCloseRequest(CWebWindowProxy& proxy);
    void SendAnchor();
    void Lose(const char* why);
    void LetHelperGo();
    void Reap(QProcess* process, int graceMs);

    QPointer<QWidget> m_owner;
    Launcher m_launcher;
    std::unique_ptr<QLocalServer> m_server;
    std::string m_ownFolder; // the socket's folder when the link had to make one
    CWebChannel m_channel;
    QPointer<QProcess> m_process;
    std::vector<QPointer<QProcess>> m_retired;
    QTimer m_connectTimeout;
    bool m_helperActive = false;
    std::map<std::int32_t, CWebWindowProxy*> m_proxies;
    std::int32_t m_nextId = 1;
    int m_starts = 0;
};

// One window of the helper as the widget sees it.
class CWebWindowProxy : public IWebWindow
{
public:
    CWebWindowProxy(CWebLink& link, WebWindowKind kind, int pageIndex, std::string address,
                    std::string caption, const WindowPlacement& placement);
    ~CWebWindowProxy() override;

    bool CreateModeless(QWidget* owner, const Rect* rect) override;
    bool HasWindow() const override { return m_created && !m_destroyed; }
    bool IsVisible() const override { return HasWindow() && m_visible; }
    Rect GetWindowRect() const override { return m_rect; }
    void MoveTo(int x, int y) override;
    void Show() override;
    void Hide() override;
    void Destroy() override;
    int PageIndex() const override { return m_pageIndex; }
    WindowPlacement GetPlacement() const override { return m_placement; }

    std::int32_t Id() const { return m_id; }
    WebWindowKind Kind() const { return m_kind; }
    // The helper is gone: nothing more reaches it.
    bool Lost() const { return m_lost; }

private:
    friend class CWebLink;

    CWebLink* m_link;
    std::int32_t m_id;
    WebWindowKind m_kind;
    int m_pageIndex;
    std::string m_address;
    std::string m_caption;
    WindowPlacement m_placement;
    Rect m_rect;
    bool m_created = false;
    bool m_destroyed = false;
    bool m_visible = false;
    bool m_lost = false;
};
