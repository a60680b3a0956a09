#pragma once

// A skinned window that keeps the window messages posted to it, for the tests of the windows and
// links that post them: (message, wParam, lParam) in the order they arrived.

#include "resource_ids.h"
#include "ui/skin/skin_dialog.h"

#include <cstdint>
#include <tuple>
#include <vector>

class MessageRecorder : public CWGDialog
{
public:
    using Posted = std::tuple<int, std::intptr_t, std::intptr_t>;

    MessageRecorder() : CWGDialog(res::IDD_MAIN, nullptr) {}

    std::vector<Posted> posted;

protected:
    void OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) override
    {
        posted.emplace_back(message, wParam, lParam);
    }
};
