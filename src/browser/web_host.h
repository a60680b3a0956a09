#pragma once

// The browser helper's end of the link with the widget: it makes the page, weather and plant windows
// the widget asks for, carries out its show, hide, move and close requests, and reports back every
// move, every change of visibility and every close the user asks for. The browsers come from a
// factory, so the windows can be driven without a web engine.

#include "browser/web_dlg.h"
#include "weblink/web_channel.h"

#include <QObject>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CDockedPageDlg;

class IBrowserFactory
{
public:
    virtual ~IBrowserFactory() = default;
    virtual std::unique_ptr<IBrowserView> NewBrowser() = 0;
};

class CWebHost : public QObject
{
    Q_OBJECT
public:
    explicit CWebHost(IBrowserFactory& browsers, QObject* parent = nullptr);
    ~CWebHost() override;

    // Connects to the widget's link (a local socket name); false when nothing answers there.
    bool Connect(const QString& serverName);

    std::size_t WindowCount() const { return m_windows.size(); }
    CModelessDlg* Window(std::int32_t id) const;
    const Rect& Anchor() const { return m_anchor; }

signals:
    // The widget went away, or sent what cannot be read; every window is closed by then.
    void LinkLost();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry
    {
        std::int32_t Id = 0;
        WebWindowKind Kind = WebWindowKind::Page;
        // The window goes after its browser, whose view it holds.
        std::unique_ptr<CModelessDlg> Window;
        std::unique_ptr<IBrowserView> Browser;
    };
    class CReceiver;

    void Handle(const WebMessage& message);
    void Open(const WebMessage& message);
    void Send(WebMessageType type, std::vector<std::string> fields);
    void Report(const Entry& entry);
    void OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam);
    void CloseAll();
    // Takes a window off the screen at once and deletes it once no script dialog is open: one may be
    // running its own event loop over that very window's page.
    void Retire(std::int32_t id);
    void Sweep();
    void Lose();
    Entry* Find(std::int32_t id);
    Entry* FindKind(WebWindowKind kind);

    IBrowserFactory& m_browsers;
    CWebChannel m_channel;
    std::map<std::int32_t, Entry> m_windows;
    std::vector<Entry> m_retired;
    std::unique_ptr<CReceiver> m_receiver;
    CKvBitmap m_frame[8];
    Rect m_anchor;
    bool m_lost = false;
};
