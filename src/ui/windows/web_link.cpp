#include "ui/windows/web_link.h"

#include "log/file_log.h"
#include "platform/paths.h"
#include "resource_ids.h"
#include "settings/environment.h"
#include "ui/skin/window_ops.h"

#include <QEvent>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QWidget>

#include <unistd.h>

namespace {

constexpr int ConnectTimeoutMs = 20000;
// A helper let go ends when its link closes; one that does not within this time is killed.
constexpr int LetGoGraceMs = 10000;

} // namespace

QProcess* CWebLink::StartHelper(const QString& program, const QString& serverName)
{
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments({QStringLiteral("--link"), serverName});
    // The engine's notes go to our standard error; nothing reads the helper's output.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(5000)) {
        ProcessLog().WriteLog(7, "pellamo-web could not be started: %s\n",
                              process->errorString().toLocal8Bit().constData());
        delete process;
        return nullptr;
    }
    return process;
}

CWebLink::CWebLink(QWidget* owner)
    : m_owner(owner), m_launcher([](const QString& name) { return StartHelper(DefaultHelperPath(), name); })
{
    if (owner != nullptr) {
        owner->installEventFilter(this);
    }
    m_connectTimeout.setSingleShot(true);
    m_connectTimeout.setInterval(ConnectTimeoutMs);
    connect(&m_connectTimeout, &QTimer::timeout, this, [this] { Lose("did not connect"); });
    connect(&m_channel, &CWebChannel::Received, this, &CWebLink::Handle);
    connect(&m_channel, &CWebChannel::Lost, this, [this](CWebChannel::LossReason reason) {
        Lose(reason == CWebChannel::LossReason::Unreadable ? "sent an unreadable message"
                                                           : "closed the link");
    });
}

CWebLink::~CWebLink()
{
    if (m_server != nullptr) {
        m_server->close();
    }
    if (!m_ownFolder.empty()) {
        rmdir(m_ownFolder.c_str());
    }
    if (m_owner != nullptr) {
        m_owner->removeEventFilter(this);
    }
    for (auto& [id, proxy] : m_proxies) {
        proxy->m_lost = true;
        proxy->m_link = nullptr;
    }
    m_proxies.clear();
    m_channel.disconnect(this);
    m_channel.Close();
    m_helperActive = false;
    // Nothing is left running: each helper ends when its link closes, and is killed if it does not.
    std::vector<QPointer<QProcess>> processes = m_retired;
    processes.push_back(m_process);
    for (const QPointer<QProcess>& process : processes) {
        if (process == nullptr) {
            continue;
        }
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning && !process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(2000);
        }
        delete process;
    }
}

QString CWebLink::DefaultHelperPath()
{
    const QString self = QString::fromStdString(platform::ModuleFilePath());
    return QFileInfo(self).absolutePath() + QStringLiteral("/pellamo-web");
}

std::vector<qint64> CWebLink::HelperPids() const
{
    std::vector<qint64> pids;
    std::vector<QPointer<QProcess>> processes = m_retired;
    processes.push_back(m_process);
    for (const QPointer<QProcess>& process : processes) {
        if (process != nullptr && process->state() != QProcess::NotRunning) {
            pids.push_back(process->processId());
        }
    }
    return pids;
}

std::unique_ptr<IWebWindow> CWebLink::NewPage(int pageIndex, const std::string& address,
                                              const WindowPlacement& remembered)
{
    return std::make_unique<CWebWindowProxy>(*this, WebWindowKind::Page, pageIndex, address, std::string(),
                                             remembered);
}

std::unique_ptr<IOwnedWindow> CWebLink::NewWeather(const std::string& address)
{
    return std::make_unique<CWebWindowProxy>(*this, WebWindowKind::Weather, Weather, address, std::string(),
                                             WindowPlacement{});
}

std::unique_ptr<IOwnedWindow> CWebLink::NewFactory(const std::string& address,
                                                   const std::string& plantCaption)
{
    return std::make_unique<CWebWindowProxy>(*this, WebWindowKind::Factory, Office, address, plantCaption,
                                             WindowPlacement{});
}

bool CWebLink::EnsureHelper()
{
    if (m_helperActive) {
        return true;
    }
    if (m_server == nullptr) {
        platform::PrivateFolder runtime = platform::UserRuntimeDir();
        std::string folder = runtime.Path;
        if (folder.empty()) {
            // A folder of our own with a name nobody can guess, made private at once and removed
            // with the link; never a fixed name another user could take first.
            ProcessLog().WriteLog(7, "pellamo-web link: no private runtime folder, %s\n",
                                  runtime.Refusal.c_str());
            std::string made = platform::TempDir() + "/pellamo-web-XXXXXX";
            if (mkdtemp(made.data()) == nullptr) {
                ProcessLog().WriteLog(7, "pellamo-web link: cannot make a private folder in %s\n",
                                      platform::TempDir().c_str());
                return false;
            }
            m_ownFolder = folder = made;
        }
        const QString name =
            QString::fromStdString(folder) + QStringLiteral("/pellamo-web-%1.sock").arg(getpid());
        auto server = std::make_unique<QLocalServer>();
        server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(name);
        if (!server->listen(name)) {
            ProcessLog().WriteLog(7, "pellamo-web link: cannot listen at %s: %s\n",
                                  name.toLocal8Bit().constData(),
                                  server->errorString().toLocal8Bit().constData());
            return false;
        }
        connect(server.get(), &QLocalServer::newConnection, this, &CWebLink::OnNewConnection);
        m_server = std::move(server);
    }
    QProcess* process = m_launcher(m_server->fullServerName());
    if (process == nullptr) {
        return false;
    }
    ++m_starts;
    m_process = process;
    m_helperActive = true;
    m_channel.Close();
    connect(process, &QProcess::finished, this, [this, process] {
        if (process == m_process) {
            Lose("ended");
        }
    });
    m_connectTimeout.start();
    SendAnchor();
    return true;
}

void CWebLink::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_channel.Attached() || !m_helperActive) {
            // Only the helper just started is expected.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_connectTimeout.stop();
        m_channel.Attach(socket);
    }
}

void CWebLink::Send(WebMessageType type, std::vector<std::string> fields)
{
    // Until the helper connects, the channel keeps what is sent.
    if (m_helperActive) {
        m_channel.Send(type, std::move(fields));
    }
}

void CWebLink::SendAnchor()
{
    if (m_owner != nullptr) {
        Send(WebMessageType::Anchor, {RectField(WindowRect(m_owner))});
    }
}

bool CWebLink::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        SendAnchor();
    }
    return false;
}

bool CWebLink::Open(CWebWindowProxy& proxy, const std::string& geometry)
{
    if (!EnsureHelper()) {
        return false;
    }
    m_proxies[proxy.m_id] = &proxy;
    Send(WebMessageType::Open, {IntField(proxy.m_id), IntField(static_cast<std::int32_t>(proxy.m_kind)),
                                IntField(proxy.m_pageIndex), proxy.m_address, proxy.m_caption, geometry});
    return true;
}

void CWebLink::Destroyed(CWebWindowProxy& proxy)
{
    if (!proxy.m_lost) {
        Send(WebMessageType::Close, {IntField(proxy.m_id)});
    }
    Forget(proxy);
}

void CWebLink::Forget(CWebWindowProxy& proxy)
{
    if (m_proxies.erase(proxy.m_id) == 0) {
        return;
    }
    for (const auto& [id, other] : m_proxies) {
        if (!other->m_lost) {
            return;
        }
    }
    LetHelperGo();
}

void CWebLink::Handle(const WebMessage& message)
{
    std::int32_t id = 0;
    if (message.Fields.empty() || !ReadIntField(message.Fields[0], id)) {
        return;
    }
    const auto it = m_proxies.find(id);
    if (it == m_proxies.end()) {
        return; // a window already destroyed here
    }
    CWebWindowProxy& proxy = *it->second;
    switch (message.Type) {
    case WebMessageType::Moved:
        if (message.Fields.size() == 3) {
            ReadRectField(message.Fields[1], proxy.m_rect);
            ReadPlacementField(message.Fields[2], proxy.m_placement);
        }
        break;
    case WebMessageType::Visible:
        if (message.Fields.size() == 2) {
            proxy.m_visible = message.Fields[1] == "1";
            proxy.Shown = proxy.m_visible;
        }
        break;
    case WebMessageType::CloseRequested:
        PostCloseRequest(proxy);
        break;
    default:
        break;
    }
}

void CWebLink::Reap(QProcess* process, int graceMs)
{
    if (process == nullptr) {
        return;
    }
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    m_retired.push_back(process);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QTimer::singleShot(graceMs, process, [process] { process->kill(); });
}

void CWebLink::LetHelperGo()
{
    if (!m_helperActive) {
        return;
    }
    m_helperActive = false;
    m_connectTimeout.stop();
    m_channel.Close();
    QProcess* process = m_process;
    m_process = nullptr;
    Reap(process, LetGoGraceMs);
}

void CWebLink::Lose(const char* why)
{
    if (!m_helperActive) {
        return;
    }
    ProcessLog().WriteLog(7, "pellamo-web %s; its windows are closed\n", why);
    QProcess* process = m_process;
    LetHelperGo();
    // A helper we no longer talk to must not leave windows on the screen that nothing answers for.
    if (process != nullptr && process->state() != QProcess::NotRunning) {
        process->kill();
    }
    // The windows count as closed by the user: the owner remembers their last known places.
    for (auto& [id, proxy] : m_proxies) {
        if (proxy->m_lost || !proxy->HasWindow()) {
            continue;
        }
        proxy->m_lost = true;
        proxy->m_visible = false;
        PostCloseRequest(*proxy);
    }
}

void CWebLink::PostCloseRequest(CWebWindowProxy& proxy)
{
    if (m_owner == nullptr) {
        return;
    }
    if (proxy.m_kind == WebWindowKind::Page) {
        PostWindowMessage(m_owner, WM_WEBDLG_CLOSED, 1,
                          reinterpret_cast<std::intptr_t>(static_cast<IWebWindow*>(&proxy)));
    } else {
        PostWindowMessage(m_owner, WM_MODELESS_CLOSED, 1,
                          proxy.m_kind == WebWindowKind::Weather ? res::IDD_WEATHER : res::IDD_FACTORY);
    }
}

CWebWindowProxy::CWebWindowProxy(CWebLink& link, WebWindowKind kind, int pageIndex, std::string address,
                                 std::string caption, const WindowPlacement& placement)
    : m_link(&link), m_id(link.m_nextId++), m_kind(kind), m_pageIndex(pageIndex),
      m_address(std::move(address)), m_caption(std::move(caption)), m_placement(placement)
{
    if (kind == WebWindowKind::Page) {
        m_rect = placement.length != 0 ? placement.normalPosition : DefaultPageRect();
    }
}

CWebWindowProxy::~CWebWindowProxy()
{
    if (m_link != nullptr) {
        m_link->Forget(*this);
    }
}

bool CWebWindowProxy::CreateModeless(QWidget*, const Rect* rect)
{
    if (m_created || m_link == nullptr) {
        return false;
    }
    std::string geometry;
    if (m_kind == WebWindowKind::Page) {
        geometry = PlacementField(m_placement);
    } else if (rect != nullptr) {
        m_rect = *rect;
        geometry = RectField(*rect);
    }
    if (!m_link->Open(*this, geometry)) {
        return false;
    }
    m_created = true;
    m_visible = true;
    return true;
}

void CWebWindowProxy::MoveTo(int x, int y)
{
    if (!HasWindow()) {
        return;
    }
    // Taken at once, so that a drag that reads it back sees where the window is going.
    m_rect = {x, y, x + (m_rect.right - m_rect.left), y + (m_rect.bottom - m_rect.top)};
    if (!m_lost) {
        m_link->Send(WebMessageType::Move, {IntField(m_id), RectField(m_rect)});
    }
}

void CWebWindowProxy::Show()
{
    if (HasWindow() && !m_lost) {
        m_visible = true;
        m_link->Send(WebMessageType::Show, {IntField(m_id)});
    }
}

void CWebWindowProxy::Hide()
{
    if (HasWindow() && !m_lost) {
        m_visible = false;
        m_link->Send(WebMessageType::Hide, {IntField(m_id)});
    }
}

void CWebWindowProxy::Destroy()
{
    if (!HasWindow()) {
        return;
    }
    m_destroyed = true;
    if (m_link != nullptr) {
        m_link->Destroyed(*this);
    }
}
