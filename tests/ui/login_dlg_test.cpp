#include "platform/text.h"
#include "ui/windows/login_dlg.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TestLoginDlg : public CLoginDlg
{
public:
    bool Ask(const std::string& question) override
    {
        questions.push_back(platform::Cp949ToUtf8(question));
        return answer;
    }
    bool answer = false;
    std::vector<std::string> questions;
};

struct Shown
{
    TestLoginDlg dialog;
    explicit Shown(const QString& id = {}, const QString& pw = {})
    {
        dialog.IdText = id;
        dialog.PwText = pw;
        dialog.Initialise();
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
};

} // namespace

TEST(LoginDialog, LaysOutItsControlsOverTheSkin)
{
    Shown shown;
    TestLoginDlg& d = shown.dialog;
    EXPECT_EQ(d.size(), QSize(259, 105));
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("로그인"));
    EXPECT_EQ(d.IdEdit()->geometry(), QRect(81, 33, 99, 15));
    EXPECT_EQ(d.PwEdit()->geometry(), QRect(81, 55, 99, 16));
    EXPECT_EQ(d.PwEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(d.LoginButton()->geometry(), QRect(191, 29, 47, 44));
    EXPECT_EQ(d.CloseButton()->geometry(), QRect(238, 3, 16, 13));
    EXPECT_TRUE(d.SaveIdBox()->geometry().contains(QRect(79, 79, 12, 12)));
    EXPECT_TRUE(d.SavePwBox()->geometry().contains(QRect(163, 79, 12, 12)));
    EXPECT_FALSE(d.mask().contains(QPoint(0, 0))) << "transparent corners";
    EXPECT_EQ(d.HitTest(QPoint(10, 90)), HTCAPTION) << "dragged from anywhere";
}

TEST(LoginDialog, LogsInOnlyWithBothFields)
{
    struct Row
    {
        const char* name;
        QString id;
        QString pw;
        bool saveId;
        bool savePw;
        int result; // 0: still open
        bool savedId;
    } rows[] = {
        {"empty identifier", "", "pw", false, false, 0, false},
        {"empty password", "kim", "", true, false, 0, true},
        {"automatic sign-in only", "kim", "pw", false, true, IDOK, true},
        {"both ticked", "kim", "pw", true, true, IDOK, true},
        {"neither", "kim", "pw", false, false, IDOK, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Shown shown;
        TestLoginDlg& d = shown.dialog;
        d.IdEdit()->setText(row.id);
        d.PwEdit()->setText(row.pw);
        d.SaveIdBox()->setChecked(row.saveId);
        d.SavePwBox()->setChecked(row.savePw);
        QTest::mouseClick(d.LoginButton(), Qt::LeftButton);
        EXPECT_EQ(d.result(), row.result);
        EXPECT_EQ(d.isVisible(), row.result == 0);
        EXPECT_EQ(d.SaveIdCheck, row.savedId);
        EXPECT_EQ(d.SaveIdBox()->isChecked(), row.savedId) << "the box shows it";
        EXPECT_TRUE(d.questions.empty());
    }
}

TEST(LoginDialog, EnterLogsInAndEscapeAsks)
{
    {
        Shown shown("kim", "pw");
        QTest::keyClick(shown.dialog.PwEdit(), Qt::Key_Return);
        EXPECT_EQ(shown.dialog.result(), IDOK);
    }
    Shown shown;
    TestLoginDlg& d = shown.dialog;
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(d.questions, std::vector<std::string>{"프로그램을 종료 하시겠습니까?"});
    EXPECT_TRUE(d.isVisible()) << "No keeps the dialog";
    d.answer = true;
    QTest::mouseClick(d.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), IDCANCEL);
}

TEST(LoginDialog, TypingStartsInTheFirstEmptyField)
{
    {
        Shown shown;
        EXPECT_EQ(QApplication::focusWidget(), shown.dialog.IdEdit());
    }
    {
        Shown shown("kim", "");
        EXPECT_EQ(QApplication::focusWidget(), shown.dialog.PwEdit());
        EXPECT_EQ(shown.dialog.IdEdit()->text(), "kim");
    }
}
