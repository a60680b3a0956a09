#include "browser/explorer.h"

#include "platform/text.h"
#include "ui/skin/message_box.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QWebEngineProfile* g_profile = nullptr;
int g_linkWindows = 0;

} // namespace

QString ExternalObjectScript()
{
    // A name is known when its first character is "x" and its second has the low byte of "x": in
    // practice every name beginning "xx". Reading one gives "Wibble"; any other name is refused.
    return QStringLiteral(R"((function () {
  var known = function (name) {
    return typeof name === 'string' && name.length >= 2 && name.charCodeAt(0) === 0x78 &&
           (name.charCodeAt(1) & 0xFF) === 0x78;
  };
  var external = new Proxy({}, {
    get: function (target, name) {
      if (typeof name === 'symbol') { return undefined; }
      if (known(name)) { return 'Wibble'; }
      throw new TypeError("Object doesn't support property or method '" + String(name) + "'");
    },
    set: function () { return true; },
    has: function (target, name) { return known(name); }
  });
  try {
    Object.defineProperty(window, 'external', { value: external, configurable: false, writable: false });
  } catch (e) {}
})();)");
}

void InstallBrowserHost()
{
    if (g_profile != nullptr) {
        return;
    }
    // Off the record: nothing of the pages is written to disk, and nothing is left behind.
    g_profile = new QWebEngineProfile(qApp);
    QWebEngineSettings* settings = g_profile->settings();
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    QWebEngineScript external;
    external.setName(QStringLiteral("external"));
    external.setSourceCode(ExternalObjectScript());
    external.setInjectionPoint(QWebEngineScript::DocumentCreation);
    external.setWorldId(QWebEngineScript::MainWorld);
    external.setRunsOnSubFrames(true);
    g_profile->scripts()->insert(external);
}

QWebEngineProfile* BrowserProfile()
{
    InstallBrowserHost();
    return g_profile;
}

int OpenLinkWindows()
{
    return g_linkWindows;
}

CKvWebPage::CKvWebPage(QObject* parent) : QWebEnginePage(BrowserProfile(), parent) {}

QWidget* CKvWebPage::Owner() const
{
    QWidget* view = QWebEngineView::forPage(this);
    return view != nullptr ? view->window() : nullptr;
}

QString CKvWebPage::Caption(const QUrl& origin) const
{
    // What the browser knows the message by: the page's title, else where it comes from.
    return !title().isEmpty() ? title() : origin.toDisplayString();
}

void CKvWebPage::javaScriptAlert(const QUrl& origin, const QString& text)
{
    ScriptBox(origin, text, QMessageBox::Ok);
}

bool CKvWebPage::javaScriptConfirm(const QUrl& origin, const QString& text)
{
    return ScriptBox(origin, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

int CKvWebPage::ScriptBox(const QUrl& origin, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, Caption(origin), text, buttons, Owner());
    // The page's words, never its markup: a page must not dress the box up or put links in it.
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

bool CKvWebPage::javaScriptPrompt(const QUrl& origin, const QString& text, const QString& defaultValue,
                                  QString* result)
{
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(Caption(origin));
    dialog.setLabelText(text);
    dialog.setTextValue(defaultValue);
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (ok && result != nullptr) {
        *result = dialog.textValue();
    }
    return ok;
}

QWebEnginePage* CKvWebPage::createWindow(WebWindowType)
{
    // A window of its own, the size of a page window, gone when closed.
    QWebEngineView* view = NewBrowserView();
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->resize(1024, 768);
    ++g_linkWindows;
    QObject::connect(view, &QObject::destroyed, [] { --g_linkWindows; });
    QObject::connect(view->page(), &QWebEnginePage::windowCloseRequested, view, &QWidget::close);
    QObject::connect(view, &QWebEngineView::titleChanged, view, &QWidget::setWindowTitle);
    view->show();
    return view->page();
}

QWebEngineView* NewBrowserView(QWidget* parent)
{
    auto* view = new QWebEngineView(parent);
    view->setPage(new CKvWebPage(view));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    return view;
}

CExplorer1::CExplorer1() : m_view(NewBrowserView()) {}

CExplorer1::~CExplorer1()
{
    delete m_view;
}

QWidget* CExplorer1::Widget()
{
    return m_view;
}

void CExplorer1::Navigate(const std::string& url)
{
    if (m_view != nullptr) {
        // The address's own CP949 bytes, percent-encoded, as every download sends them.
        m_view->setUrl(QUrl::fromEncoded(QByteArray::fromStdString(platform::EncodeAddressBytes(url))));
    }
}

void CExplorer1::Stop()
{
    if (m_view != nullptr) {
        m_view->stop();
    }
}
