// The browser host on the real engine, against the simulator's service pages: what a page sees of its
// host (query, external object, scroll bars) and what the user sees of the page (no context menu,
// script message boxes answered back to the script).

#include "browser/docked_page_dlg.h"
#include "browser/explorer.h"
#include "support/event_wait.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

class BrowserHost : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { sim = new SimProcess({"--user", "demo:demo:00"}); }
    static void TearDownTestSuite()
    {
        delete sim;
        sim = nullptr;
    }

    // Loads an address in a shown view and waits for the load to end.
    bool Load(CExplorer1& browser, const std::string& url)
    {
        QWebEngineView* view = browser.View();
        view->resize(400, 300);
        view->show();
        std::optional<bool> loaded;
        QObject::connect(view, &QWebEngineView::loadFinished, view, [&loaded](bool ok) { loaded = ok; });
        browser.Navigate(url);
        return WaitUntil([&] { return loaded.has_value(); }, 30000) && *loaded;
    }

    // Runs a script and waits for its value.
    static QVariant Run(CExplorer1& browser, const QString& script)
    {
        std::optional<QVariant> result;
        browser.View()->page()->runJavaScript(script, [&result](const QVariant& value) { result = value; });
        WaitUntil([&] { return result.has_value(); }, 30000);
        return result.value_or(QVariant(QStringLiteral("<no answer>")));
    }

    static QMessageBox* OpenMessageBox()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }

    static SimProcess* sim;
};

SimProcess* BrowserHost::sim = nullptr;

TEST_F(BrowserHost, PageSeesItsQueryAndTheExternalObject)
{
    ASSERT_TRUE(sim->Ready());
    CExplorer1 browser;
    ASSERT_TRUE(Load(browser, sim->HttpUrl("/map?userId=demo&authCode=A1")));
    EXPECT_EQ(Run(browser, "location.search").toString(), "?userId=demo&authCode=A1");
    // What the page itself read while loading.
    EXPECT_EQ(Run(browser, "document.getElementById('external').textContent").toString(), "Wibble");
    const struct
    {
        const char* member;
        const char* expected;
    } cases[] = {
        {"xxyyzz", "Wibble"}, {"xx", "Wibble"},      {"xxanything", "Wibble"},
        {"xyz", "refused"},   {"XXyyzz", "refused"}, {"AddSearchProvider", "refused"},
    };
    for (const auto& c : cases) {
        const QString script =
            QStringLiteral(
                "(function(){try{return String(window.external['%1']);}catch(e){return 'refused';}})()")
                .arg(QString::fromLatin1(c.member));
        EXPECT_EQ(Run(browser, script).toString().toStdString(), c.expected) << c.member;
    }
    // A page cannot put its own object in the host's place.
    EXPECT_EQ(Run(browser, "window.external = {}; String(window.external.xxyyzz)").toString(), "Wibble");
}

TEST_F(BrowserHost, TallPageShowsNoScrollBars)
{
    CExplorer1 browser;
    ASSERT_TRUE(Load(browser, sim->HttpUrl("/map?userId=demo&authCode=A1")));
    ASSERT_GT(Run(browser, "document.documentElement.scrollHeight").toInt(), 300);
    // A scroll bar takes its width from the viewport's inner width.
    EXPECT_EQ(Run(browser, "window.innerWidth - document.documentElement.clientWidth").toInt(), 0);
    EXPECT_EQ(Run(browser, "window.innerHeight - document.documentElement.clientHeight").toInt(), 0);
}

TEST_F(BrowserHost, RightClickShowsNoMenu)
{
    CExplorer1 browser;
    ASSERT_TRUE(Load(browser, sim->HttpUrl("/map?userId=demo&authCode=A1")));
    QWebEngineView* view = browser.View();
    EXPECT_EQ(view->contextMenuPolicy(), Qt::NoContextMenu);
    QWidget* target = view->focusProxy() != nullptr ? view->focusProxy() : view;
    QTest::mouseClick(target, Qt::RightButton, {}, QPoint(100, 100));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(100, 100),
                                target->mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(target, &menuEvent);
    QTest::qWait(500);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<QMenu*>(widget) != nullptr && widget->isVisible()) << "a menu is shown";
    }
}

TEST_F(BrowserHost, ScriptMessageBoxesAreAnsweredBackToTheScript)
{
    CExplorer1 browser;
    ASSERT_TRUE(Load(browser, sim->HttpUrl("/map?userId=demo&authCode=A1")));
    const QString pageTitle = browser.View()->title();
    const struct
    {
        const char* script;
        QMessageBox::StandardButton press;
        const char* expected;
    } cases[] = {
        {"alert('경보'); 'after'", QMessageBox::Ok, "after"},
        {"String(confirm('계속?'))", QMessageBox::Ok, "true"},
        {"String(confirm('계속?'))", QMessageBox::Cancel, "false"},
        {"alert('<b>굵게</b> <a "
         "href=\"file:///tmp/evil.desktop\">열기</a><table><tr><td>칸</td></tr></table>'); "
         "'plain'",
         QMessageBox::Ok, "plain"},
    };
    for (const auto& c : cases) {
        QString seenTitle;
        QString seenText;
        int plainLabels = 0;
        QTimer answer;
        answer.setInterval(50);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (QMessageBox* box = OpenMessageBox()) {
                seenTitle = box->windowTitle();
                seenText = box->text();
                // The page's text as it stands: nothing in the box is markup, so nothing is a link.
                for (QLabel* label : box->findChildren<QLabel*>()) {
                    if (label->text() == box->text()) {
                        EXPECT_EQ(label->textFormat(), Qt::PlainText);
                        plainLabels += 1;
                    }
                }
                box->button(c.press)->click();
                answer.stop();
            }
        });
        answer.start();
        EXPECT_EQ(Run(browser, QString::fromUtf8(c.script)).toString().toStdString(), c.expected) << c.script;
        EXPECT_EQ(seenTitle, pageTitle) << "titled with the caption the browser supplies";
        EXPECT_FALSE(seenText.isEmpty());
        EXPECT_EQ(plainLabels, 1) << c.script;
        if (QString::fromUtf8(c.script).contains("<b>")) {
            EXPECT_EQ(seenText, QString::fromUtf8("<b>굵게</b> <a href=\"file:///tmp/evil.desktop\">열기</a>"
                                                  "<table><tr><td>칸</td></tr></table>"));
        }
    }
}

TEST_F(BrowserHost, APromptShowsItsLabelAsPlainText)
{
    CExplorer1 browser;
    ASSERT_TRUE(Load(browser, sim->HttpUrl("/map?userId=demo&authCode=A1")));
    const QString label = QString::fromUtf8("<a href=\"foo-evil:x\">이름</a>?");
    QString seenLabel;
    Qt::TextFormat seenFormat = Qt::AutoText;
    QTimer answer;
    answer.setInterval(50);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QInputDialog*>(widget);
            if (dialog == nullptr || !dialog->isVisible()) {
                continue;
            }
            seenLabel = dialog->labelText();
            for (QLabel* shown : dialog->findChildren<QLabel*>()) {
                if (shown->text() == label) {
                    seenFormat = shown->textFormat();
                }
            }
            dialog->setTextValue(QString::fromUtf8("답"));
            dialog->accept();
            answer.stop();
        }
    });
    answer.start();
    EXPECT_EQ(Run(browser, QStringLiteral("prompt('<a href=\"foo-evil:x\">이름</a>?', '기본')")).toString(),
              QString::fromUtf8("답"));
    EXPECT_EQ(seenLabel, label);
    EXPECT_EQ(seenFormat, Qt::PlainText);
}

TEST_F(BrowserHost, LinkToANewWindowOpensOne)
{
    CExplorer1 browser;
    ASSERT_TRUE(Load(browser, sim->HttpUrl("/map?userId=demo&authCode=A1")));
    ASSERT_EQ(OpenLinkWindows(), 0);
    Run(browser, "document.getElementById('newwin').click(); true");
    EXPECT_TRUE(WaitUntil([] { return OpenLinkWindows() == 1; }, 10000));
    EXPECT_EQ(Run(browser, "location.pathname").toString(), "/map") << "the page stays where it was";
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* view = qobject_cast<QWebEngineView*>(widget); view != nullptr && view != browser.View()) {
            EXPECT_TRUE(WaitUntil([view] { return view->url().path() == "/page/popup"; }, 10000))
                << view->url().toString().toStdString();
            view->close();
        }
    }
    EXPECT_TRUE(WaitUntil([] { return OpenLinkWindows() == 0; }, 5000));
}

} // namespace
