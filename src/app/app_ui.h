#pragma once

#include <string>

class CTolvikWGApp;

// What the start-up sequence needs of the user interface. The windows implement it; tests fake it.
class IAppUi
{
public:
    virtual ~IAppUi() = default;

    // A blocking message box with an OK button; text is CP949.
    virtual void ShowMessage(const std::string& text) = 0;
    // Runs the main widget window until the user ends the program.
    virtual void RunMainWindow(CTolvikWGApp& app) = 0;
};
