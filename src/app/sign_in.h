#pragma once

#include "settings/environment.h"
#include "settings/session_identity.h"

#include <string>

class ServerSession;

// One login attempt on a fresh connection: 0 when accepted (the reply's AuthCode, UserPerm, CompanyID
// and GroupID then fill the identity, and IsAdmin is set for UserPerm "00"), else the result code.
int TryLogin(ServerSession& session, const EnvironmentSettings& env, SessionIdentity& identity,
             const std::string& id, const std::string& password);

// The user's text for a result code (CP949).
std::string LoginErrorText(int code);
