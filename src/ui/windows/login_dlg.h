#pragma once

// The skinned login window: identifier, password (masked), remember-identifier and automatic sign-in.
// It only collects and checks the input; the sign-in loop talks to the server and shows the errors.

#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"

#include <QCheckBox>
#include <QLineEdit>

#include <string>

class CLoginDlg : public CWGDialog
{
    Q_OBJECT
public:
    explicit CLoginDlg(QWidget* parent = nullptr);

    // The whole window drags: every point not covered by a control.
    int HitTest(const QPoint&) const override { return HTCAPTION; }
    bool Initialise() { return OnInitDialog(); }

    QString IdText;
    QString PwText;
    bool SaveIdCheck = false;
    bool SavePwCheck = false;

    QLineEdit* IdEdit() const { return m_id; }
    QLineEdit* PwEdit() const { return m_pw; }
    QCheckBox* SaveIdBox() const { return m_saveId; }
    QCheckBox* SavePwBox() const { return m_savePw; }
    CKvImgButton* LoginButton() const { return m_login; }
    CKvImgButton* CloseButton() const { return m_close; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // A Yes/No question in the program's message box (CP949); tests answer it themselves.
    virtual bool Ask(const std::string& question);

private:
    void SaveControls();
    void LoadControls();

    QLineEdit* m_id;
    QLineEdit* m_pw;
    QCheckBox* m_saveId;
    QCheckBox* m_savePw;
    CKvImgButton* m_login;
    CKvImgButton* m_close;
};
