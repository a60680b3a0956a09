#include "ui/windows/app_ui.h"

#include "app/tolvik_app.h"
#include "platform/text.h"
#include "ui/windows/main_dlg.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

const char* const MessageBoxTitle = "Pellamo";

namespace {

QString FromCp949(const std::string& text) { return QString::fromStdString(platform::Cp949ToUtf8(text)); }

std::string ToCp949(const QString& text) { return platform::Utf8ToCp949(text.toStdString()); }

} // namespace

void CAppUi::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(MessageBoxTitle), FromCp949(text), QMessageBox::Ok);
    box.exec();
}

bool CAppUi::AskLogin(LoginValues& values)
{
    // A plain prompt with the same rules as the skinned login dialog: Login does nothing while a field
    // is empty, and automatic sign-in implies remembering the identifier.
    QDialog dialog;
    dialog.setWindowTitle(QString::fromUtf8("로그인"));
    auto* id = new QLineEdit(FromCp949(values.Id));
    auto* password = new QLineEdit(FromCp949(values.Password));
    password->setEchoMode(QLineEdit::Password);
    auto* saveId = new QCheckBox(QString::fromUtf8("아이디 저장"));
    auto* autoLogin = new QCheckBox(QString::fromUtf8("자동 로그인"));
    saveId->setChecked(values.SaveId);
    autoLogin->setChecked(values.SavePw);
    auto* buttons = new QDialogButtonBox;
    QPushButton* login = buttons->addButton(QString::fromUtf8("로그인"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("닫기"), QDialogButtonBox::RejectRole);
    login->setDefault(true);
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(QString::fromUtf8("아이디"), id);
    layout->addRow(QString::fromUtf8("비밀번호"), password);
    layout->addRow(saveId);
    layout->addRow(autoLogin);
    layout->addRow(buttons);
    QObject::connect(login, &QPushButton::clicked, &dialog, [&] {
        if (!id->text().isEmpty() && !password->text().isEmpty()) {
            dialog.accept();
        }
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(autoLogin, &QCheckBox::toggled, saveId, [saveId](bool on) {
        if (on) {
            saveId->setChecked(true);
        }
    });
    (id->text().isEmpty() ? id : password)->setFocus();
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    values.Id = ToCp949(id->text());
    values.Password = ToCp949(password->text());
    values.SaveId = saveId->isChecked();
    values.SavePw = autoLogin->isChecked();
    return true;
}

namespace {

// The windows beside the widget that this build does not have yet: the mini bar, the tray icon and
// the weather, plant and page windows come with their own modules. Until then their buttons do
// nothing, and the widget stays on screen.
class CNoParts : public IMainWindowParts
{
public:
    std::unique_ptr<IOwnedWindow> NewWeatherDlg() override { return nullptr; }
    std::unique_ptr<IOwnedWindow> NewFactoryDlg() override { return nullptr; }
    std::unique_ptr<IWebWindow> NewWebDlg(int) override { return nullptr; }
    std::unique_ptr<IMiniBar> NewMiniBar() override { return nullptr; }
    ITrayIcon* TrayIcon() override { return nullptr; }
};

} // namespace

void CAppUi::RunMainWindow(CTolvikWGApp& app)
{
    CNoParts parts;
    CMainDlg main(app, parts);
    main.DoModal();
}
