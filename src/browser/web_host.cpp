#include "browser/web_host.h"

#include "browser/docked_page_dlg.h"
#include "log/file_log.h"
#include "resource_ids.h"

#include <QApplication>
#include <QEvent>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>

#include <functional>

// Where the windows post their close requests: a window that is never shown.
class CWebHost::CReceiver : public QWidget
{
public:
    explicit CReceiver(std::function<void(int, std::intptr_t, std::intptr_t)> handler)
        : m_handler(std::move(handler))
    {
    }

protected:
    bool event(QEvent* event) override
    {
        if (const auto* message = dynamic_cast<CWindowMessageEvent*>(event)) {
            m_handler(message->Message(), message->WParam, message->LParam);
            return true;
        }
        return QWidget::event(event);
    }

private:
    std::function<void(int, std::intptr_t, std::intptr_t)> m_handler;
};

CWebHost::CWebHost(IBrowserFactory& browsers, QObject* parent)
    : QObject(parent), m_browsers(browsers),
      m_receiver(std::make_unique<CReceiver>([this](int message, std::intptr_t wParam, std::intptr_t lParam) {
          OnWindowMessage(message, wParam, lParam);
      }))
{
    for (int i = 0; i < 8; ++i) {
        m_frame[i].LoadBitmap(FramePieceIds[i]);
    }
    connect(&m_channel, &CWebChannel::Received, this, &CWebHost::Handle);
    connect(&m_channel, &CWebChannel::Lost, this, [this](CWebChannel::LossReason reason) {
        if (reason == CWebChannel::LossReason::Unreadable) {
            ProcessLog().WriteLog(7, "pellamo-web: unreadable message from the widget\n");
        }
        Lose();
    });
}

CWebHost::~CWebHost()
{
    m_channel.disconnect(this);
    CloseAll();
    m_retired.clear();
}

bool CWebHost::Connect(const QString& serverName)
{
    auto* socket = new QLocalSocket(this);
    socket->connectToServer(serverName);
    if (!socket->waitForConnected(5000)) {
        ProcessLog().WriteLog(7, "pellamo-web: no link at %s\n", serverName.toLocal8Bit().constData());
        delete socket;
        return false;
    }
    m_channel.Attach(socket);
    return true;
}

CModelessDlg* CWebHost::Window(std::int32_t id) const
{
    const auto it = m_windows.find(id);
    return it != m_windows.end() ? it->second.Window.get() : nullptr;
}

CWebHost::Entry* CWebHost::Find(std::int32_t id)
{
    const auto it = m_windows.find(id);
    return it != m_windows.end() ? &it->second : nullptr;
}

CWebHost::Entry* CWebHost::FindKind(WebWindowKind kind)
{
    for (auto& [id, entry] : m_windows) {
        if (entry.Kind == kind) {
            return &entry;
        }
    }
    return nullptr;
}

void CWebHost::Handle(const WebMessage& message)
{
    std::int32_t id = 0;
    if (message.Type == WebMessageType::Anchor) {
        if (message.Fields.size() == 1) {
            ReadRectField(message.Fields[0], m_anchor);
        }
        return;
    }
    if (message.Fields.empty() || !ReadIntField(message.Fields[0], id)) {
        return;
    }
    if (message.Type == WebMessageType::Open) {
        Open(message);
        return;
    }
    Entry* entry = Find(id);
    if (entry == nullptr) {
        return;
    }
    CModelessDlg& window = *entry->Window;
    Rect to;
    switch (message.Type) {
    case WebMessageType::Show:
        window.Shown = true;
        window.show();
        window.raise();
        break;
    case WebMessageType::Hide:
        window.Shown = false;
        window.hide();
        break;
    case WebMessageType::Move:
        if (message.Fields.size() == 2 && ReadRectField(message.Fields[1], to)) {
            window.MoveTo(to.left, to.top);
        }
        break;
    case WebMessageType::Close:
        Retire(id);
        break;
    default:
        break;
    }
}

void CWebHost::Open(const WebMessage& message)
{
    std::int32_t id = 0;
    std::int32_t kind = 0;
    std::int32_t page = 0;
    if (message.Fields.size() != 6 || !ReadIntField(message.Fields[0], id) ||
        !ReadIntField(message.Fields[1], kind) || !ReadIntField(message.Fields[2], page) ||
        Find(id) != nullptr) {
        return;
    }
    const std::string& address = message.Fields[3];
    const std::string& caption = message.Fields[4];
    const std::string& geometry = message.Fields[5];
    Entry entry;
    entry.Id = id;
    entry.Kind = static_cast<WebWindowKind>(kind);
    entry.Browser = m_browsers.NewBrowser();
    if (entry.Kind == WebWindowKind::Page) {
        WindowPlacement placement;
        ReadPlacementField(geometry, placement);
        entry.Window = std::make_unique<CWebDlg>(page, address, placement, m_frame, entry.Browser.get());
    } else if (entry.Kind == WebWindowKind::Weather || entry.Kind == WebWindowKind::Factory) {
        std::unique_ptr<CDockedPageDlg> window;
        if (entry.Kind == WebWindowKind::Weather) {
            window = std::make_unique<CWeatherDlg>(address, entry.Browser.get());
        } else {
            window = std::make_unique<CFactoryDlg>(address, caption, entry.Browser.get());
        }
        const WebWindowKind other =
            entry.Kind == WebWindowKind::Weather ? WebWindowKind::Factory : WebWindowKind::Weather;
        const bool widgetFirst = entry.Kind == WebWindowKind::Weather;
        window->DockTargets = [this, other, widgetFirst] {
            std::vector<Rect> targets;
            if (widgetFirst) {
                targets.push_back(m_anchor);
            }
            if (const Entry* sibling = FindKind(other); sibling != nullptr) {
                targets.push_back(WindowRect(sibling->Window.get()));
            }
            if (!widgetFirst) {
                targets.push_back(m_anchor);
            }
            return targets;
        };
        entry.Window = std::move(window);
    } else {
        return;
    }
    CModelessDlg* window = entry.Window.get();
    Rect rect;
    const bool placed = entry.Kind != WebWindowKind::Page && ReadRectField(geometry, rect);
    // The posted close requests come to the host; the window is not parented to it.
    window->CreateModeless(entry.Kind == WebWindowKind::Page ? m_receiver.get() : nullptr,
                           placed ? &rect : nullptr);
    window->NotifyWnd = m_receiver.get();
    window->installEventFilter(this);
    const Entry& stored = m_windows.emplace(id, std::move(entry)).first->second;
    Report(stored);
}

void CWebHost::Send(WebMessageType type, std::vector<std::string> fields)
{
    if (m_channel.Attached()) {
        m_channel.Send(type, std::move(fields));
    }
}

void CWebHost::Report(const Entry& entry)
{
    const CModelessDlg* window = entry.Window.get();
    std::string placement;
    if (entry.Kind == WebWindowKind::Page) {
        placement = PlacementField(static_cast<const CWebDlg*>(window)->GetPlacement());
    }
    Send(WebMessageType::Moved, {IntField(entry.Id), RectField(WindowRect(window)), placement});
}

bool CWebHost::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show && type != QEvent::Hide) {
        return false;
    }
    for (const auto& [id, entry] : m_windows) {
        if (entry.Window.get() != watched) {
            continue;
        }
        if (type == QEvent::Show || type == QEvent::Hide) {
            Send(WebMessageType::Visible, {IntField(id), type == QEvent::Show ? "1" : "0"});
        }
        Report(entry);
        break;
    }
    return false;
}

void CWebHost::OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam)
{
    if (wParam != 1) {
        return;
    }
    const Entry* entry = nullptr;
    if (message == WM_WEBDLG_CLOSED) {
        for (const auto& [id, candidate] : m_windows) {
            if (reinterpret_cast<std::intptr_t>(candidate.Window.get()) == lParam) {
                entry = &candidate;
            }
        }
    } else if (message == WM_MODELESS_CLOSED && lParam == res::IDD_WEATHER) {
        entry = FindKind(WebWindowKind::Weather);
    } else if (message == WM_MODELESS_CLOSED && lParam == res::IDD_FACTORY) {
        entry = FindKind(WebWindowKind::Factory);
    }
    if (entry != nullptr) {
        Report(*entry);
        Send(WebMessageType::CloseRequested, {IntField(entry->Id)});
    }
}

void CWebHost::CloseAll()
{
    while (!m_windows.empty()) {
        Retire(m_windows.begin()->first);
    }
}

void CWebHost::Retire(std::int32_t id)
{
    const auto it = m_windows.find(id);
    if (it == m_windows.end()) {
        return;
    }
    Entry entry = std::move(it->second);
    m_windows.erase(it);
    entry.Window->removeEventFilter(this);
    entry.Window->hide();
    m_retired.push_back(std::move(entry));
    QTimer::singleShot(0, this, &CWebHost::Sweep);
}

void CWebHost::Sweep()
{
    if (m_retired.empty()) {
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        // A script's message box over a page that is going: it goes first, and its loop returns.
        for (const Entry& entry : m_retired) {
            for (const QObject* owner = modal->parent(); owner != nullptr; owner = owner->parent()) {
                if (owner == entry.Window.get()) {
                    modal->close();
                    break;
                }
            }
        }
        QTimer::singleShot(50, this, &CWebHost::Sweep);
        return;
    }
    // Browsers first, through each entry's member order.
    m_retired.clear();
}

void CWebHost::Lose()
{
    if (m_lost) {
        return;
    }
    m_lost = true;
    CloseAll();
    emit LinkLost();
}
