#pragma once

#include "app/app_ui.h"

// The start-up sequence's user interface on Qt Widgets.
class CAppUi : public IAppUi
{
public:
    void ShowMessage(const std::string& text) override;
    bool AskLogin(LoginValues& values) override;
    void RunMainWindow(CTolvikWGApp& app) override;
};
