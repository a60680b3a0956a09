#include "ui/windows/login_dlg.h"

#include "platform/text.h"
#include "resource_ids.h"
#include "ui/skin/message_box.h"

CLoginDlg::CLoginDlg(QWidget* parent) : CWGDialog(res::IDD_LOGIN, parent)
{
    // A window of its own, with a taskbar entry while the user signs in.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    CaptionHeight = 21;
    m_id = new QLineEdit(this);
    m_pw = new QLineEdit(this);
    m_pw->setEchoMode(QLineEdit::Password);
    for (QLineEdit* edit : {m_id, m_pw}) {
        edit->setFrame(false);
    }
    m_saveId = new QCheckBox(this);
    m_savePw = new QCheckBox(this);
    m_login = new CKvImgButton(this);
    m_close = new CKvImgButton(this);
    m_login->setText(QStringLiteral("Login"));
    m_close->setText(QStringLiteral("x"));
    setTabOrder(m_id, m_pw);
    setTabOrder(m_pw, m_saveId);
    setTabOrder(m_saveId, m_savePw);
    setTabOrder(m_savePw, m_login);
    setTabOrder(m_login, m_close);
    connect(m_login, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_close, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

void CLoginDlg::LoadControls()
{
    m_id->setText(IdText);
    m_pw->setText(PwText);
    m_saveId->setChecked(SaveIdCheck);
    m_savePw->setChecked(SavePwCheck);
}

void CLoginDlg::SaveControls()
{
    IdText = m_id->text();
    PwText = m_pw->text();
    SaveIdCheck = m_saveId->isChecked();
    SavePwCheck = m_savePw->isChecked();
}

bool CLoginDlg::OnInitDialog()
{
    LoadControls();
    setWindowTitle(QString::fromUtf8("로그인"));
    Background.LoadBitmap(res::LoginBackground);
    setFixedSize(Background.Width(), Background.Height());
    const Rect centred = CentredOnPrimaryScreen(width(), height());
    move(centred.left, centred.top);
    ApplyColourKey(this, Background.Image());
    const int flags = CKvImgButton::HasHover | CKvImgButton::HasPressed;
    if (m_login->LoadImages(res::LoginButton, flags)) {
        m_login->setGeometry(191, 29, m_login->ImageWidth(), m_login->ImageHeight());
    }
    if (m_close->LoadImages(res::LoginCloseButton, flags)) {
        m_close->setGeometry(238, 3, m_close->ImageWidth(), m_close->ImageHeight());
    }
    m_id->setGeometry(81, 33, 99, 15);
    m_pw->setGeometry(81, 55, 99, 16);
    // The check boxes cover the ones painted at (79, 79) and (163, 79).
    m_saveId->setGeometry(78, 78, 15, 15);
    m_savePw->setGeometry(162, 78, 15, 15);
    // The typing starts where something is missing.
    (!m_id->text().isEmpty() && m_pw->text().isEmpty() ? m_pw : m_id)->setFocus();
    return true;
}

void CLoginDlg::OnOK()
{
    SaveControls();
    if (IdText.isEmpty() || PwText.isEmpty()) {
        return;
    }
    // Automatic sign-in always remembers the identifier too.
    if (SavePwCheck && !SaveIdCheck) {
        SaveIdCheck = true;
        LoadControls();
    }
    EndDialog(IDOK);
}

void CLoginDlg::OnCancel()
{
    if (Ask(platform::Utf8ToCp949("프로그램을 종료 하시겠습니까?"))) {
        EndDialog(IDCANCEL);
    }
}

bool CLoginDlg::Ask(const std::string& question)
{
    return AskYesNo(question, this);
}
