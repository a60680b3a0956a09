#pragma once

// The browser the page, weather and plant windows host, on Qt WebEngine, with the host's rules
// applied to every page: no context menu, no border, no scroll bars, script message boxes as plain
// message boxes answered back to the script, a link that targets a new window opening in a new
// window, and window.external answering "Wibble" for every member whose name begins "xx".

#include "browser/web_host.h"

#include <QMessageBox>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

class QWebEngineProfile;

// Installs the customisation once, before any browser exists; every browser made afterwards uses it.
void InstallBrowserHost();
QWebEngineProfile* BrowserProfile();
// The script that gives pages their external object.
QString ExternalObjectScript();

class CKvWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit CKvWebPage(QObject* parent = nullptr);

protected:
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& defaultValue,
                          QString* result) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    QWidget* Owner() const;
    QString Caption(const QUrl& origin) const;
    // An alert or confirm box over the page's window; the button pressed.
    int ScriptBox(const QUrl& origin, const QString& text, QMessageBox::StandardButtons buttons);
};

// A web view with the host's rules; the page windows' browsers and the windows that links open.
QWebEngineView* NewBrowserView(QWidget* parent = nullptr);

class CExplorer1 : public IBrowserView
{
public:
    CExplorer1();
    ~CExplorer1() override;

    QWidget* Widget() override;
    void Navigate(const std::string& url) override; // CP949
    void Stop() override;
    QWebEngineView* View() const { return m_view; }

private:
    QPointer<QWebEngineView> m_view;
};

class CExplorerFactory : public IBrowserFactory
{
public:
    std::unique_ptr<IBrowserView> NewBrowser() override { return std::make_unique<CExplorer1>(); }
};

// The windows that links open, still on screen.
int OpenLinkWindows();
