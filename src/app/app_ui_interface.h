#pragma once

#include <string>

class CTolvikWGApp;

// What the login prompt shows and what the user answers with; texts are CP949.
struct LoginValues
{
    std::string Id;
    std::string Password;
    bool SaveId = false;
    bool SavePw = false;
};

// What the start-up sequence needs of the user interface. The windows implement it; tests fake it.
class IAppUi
{
public:
    virtual ~IAppUi() = default;

    // A blocking message box with an OK button; text is CP949.
    virtual void ShowMessage(const std::string& text) = 0;
    // Shows the login prompt with values filled in. True with the user's values when the user chose to
    // log in; false when the prompt was closed.
    virtual bool AskLogin(LoginValues& values) = 0;
    // Runs the main widget window until the user ends the program.
    virtual void RunMainWindow(CTolvikWGApp& app) = 0;
};
