#pragma once

#include "app/app_ui_interface.h"

// The start-up sequence's user interface on Qt Widgets: the one place that hands the application's
// settings and session to the windows.
class CAppUi : public IAppUi
{
public:
    void ShowMessage(const std::string& text) override;
    bool AskLogin(LoginValues& values) override;
    void RunMainWindow(CTolvikWGApp& app) override;
};
