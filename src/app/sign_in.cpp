#include "app/sign_in.h"

#include "app/app_ui_interface.h"
#include "app/tolvik_app.h"
#include "platform/text.h"
#include "serverlink/server_session.h"
#include "settings/reg_config.h"

#include <cstdio>

namespace {

struct ErrorText
{
    int Code;
    const char* Utf8;
};

const ErrorText kErrorTexts[] = {
    {101, "메시지 파라미터 값이 잘못되었습니다."},
    {102, "데이터베이스 에러가 발생하였습니다."},
    {103, "시스템 에러가 발생하였습니다."},
    {104, "로그인 되어있지 않습니다."},
    {105, "서버에 접속하지 못했습니다."},
    {106, "데이터 전송에러가 발생하였습니다."},
    {107, "테이터 수신에러가 발생하였습니다."},
    {108, "테이터 수신시간을 초과 하였습니다."},
    {111, "환경파일 에러"},
    {112, "등록되지 않은 사용자 입니다."},
    {113, "암호가 일치하지 않습니다."},
    {114, "허가된 MAC 주소가 아닙니다."},
    {115, "사용권한이 없습니다."},
};

} // namespace

std::string LoginErrorText(int code)
{
    for (const ErrorText& text : kErrorTexts) {
        if (text.Code == code) {
            return platform::Utf8ToCp949(text.Utf8);
        }
    }
    char generic[64];
    std::snprintf(generic, sizeof generic, "Unknown error : errno(%d)", code);
    return generic;
}

int TryLogin(ServerSession& session, const EnvironmentSettings& env, SessionIdentity& identity,
             const std::string& id, const std::string& password)
{
    if (!session.ConnectServer(env.ServerAddr.c_str(), env.ServerPort)) {
        return ResultConnectFailed;
    }
    if (const int code = session.SendLogin(id, password); code != 0) {
        return code;
    }
    CKvRcvCmd& reply = session.Reply();
    reply.Param("AuthCode", identity.AuthCode);
    reply.Param("UserPerm", identity.UserPerm);
    reply.Param("CompanyID", identity.CompanyID);
    reply.Param("GroupID", identity.GroupID);
    identity.IsAdmin = identity.UserPerm == "00" ? 1 : 0;
    return LoginAccepted;
}

bool CTolvikWGApp::SignIn()
{
    CKvRegConfig store;
    if (!store.Load()) {
        return false;
    }
    std::string id = store.SaveID != 0 ? store.ID : std::string();
    std::string password = store.SavePW != 0 ? store.PW : std::string();
    ServerSession session;
    for (;;) {
        if (id.empty() || password.empty()) {
            LoginValues values{id, password, store.SaveID != 0, store.SavePW != 0};
            if (!m_ui.AskLogin(values)) {
                return false;
            }
            id = values.Id;
            password = values.Password;
            store.SaveID = values.SaveId ? 1 : 0;
            store.SavePW = values.SavePw ? 1 : 0;
        }
        const int code = TryLogin(session, Environment, Session, id, password);
        if (code == LoginAccepted) {
            Session.UserId = id;
            Session.Password = password;
            store.ID = store.SaveID != 0 ? id : std::string();
            store.PW = store.SavePW != 0 ? password : std::string();
            store.Save();
            return true;
        }
        m_ui.ShowMessage(LoginErrorText(code));
        password.clear();
    }
}
