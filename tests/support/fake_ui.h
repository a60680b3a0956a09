#pragma once

#include "app/app_ui_interface.h"
#include "platform/text.h"

#include <deque>
#include <string>
#include <vector>

// The start-up sequence's user interface, scripted: each login prompt takes the next answer (an
// empty optional closes the prompt) and records what it was shown; messages are recorded in UTF-8.
class FakeUi : public IAppUi
{
public:
    struct Answer
    {
        bool Login = false;
        LoginValues Values;
    };

    void ShowMessage(const std::string& text) override { messages.push_back(platform::Cp949ToUtf8(text)); }

    bool AskLogin(LoginValues& values) override
    {
        prompts.push_back(values);
        if (answers.empty()) {
            return false;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        if (answer.Login) {
            values = answer.Values;
        }
        return answer.Login;
    }

    void RunMainWindow(CTolvikWGApp&) override { ++mainWindowRuns; }

    void AnswerLogin(const std::string& id, const std::string& password, bool saveId, bool savePw)
    {
        answers.push_back({true, {id, password, saveId, savePw}});
    }
    void AnswerClose() { answers.push_back({false, {}}); }

    std::deque<Answer> answers;
    std::vector<LoginValues> prompts;
    std::vector<std::string> messages;
    int mainWindowRuns = 0;
};
