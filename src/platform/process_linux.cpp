#include "platform/process.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool haveArg = false;
    for (char c : commandLine) {
        if (c == '"') {
            inQuotes = !inQuotes;
            haveArg = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (haveArg) {
                args.push_back(current);
                current.clear();
                haveArg = false;
            }
        } else {
            current += c;
            haveArg = true;
        }
    }
    if (haveArg) {
        args.push_back(current);
    }
    return args;
}

bool RunProgram(const std::string& commandLine)
{
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty()) {
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Handles are not inherited: nothing above the standard streams reaches the child.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace platform
