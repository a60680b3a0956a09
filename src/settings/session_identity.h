#pragma once

#include <cstdint>
#include <string>

// Who is signed in: empty until the server accepts a sign-in, then unchanged for the run. Texts are
// CP949.
struct SessionIdentity
{
    std::string UserId;
    std::string Password;
    std::string AuthCode;
    std::string UserPerm;
    std::string CompanyID;
    std::string GroupID;
    std::int32_t IsAdmin = 0;
};
