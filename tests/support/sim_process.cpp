#include "support/sim_process.h"

#include "support/temp_env.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

SimProcess::SimProcess(std::vector<std::string> args)
{
    char pattern[] = "/tmp/pellamo-sim-XXXXXX";
    m_dir = mkdtemp(pattern);
    const std::string ready = m_dir + "/ready";
    std::vector<std::string> all = {
        PELLAMO_DISPATCH_SIM, "--login-port",  "0",  "--http-port", "0", "--ready-file", ready, "--log",
        m_dir + "/requests",  "--max-seconds", "300"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return;
    }
    m_pid = pid;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        std::ifstream in(ready);
        std::string login, http;
        if (std::getline(in, login) && std::getline(in, http) && login.rfind("login-port=", 0) == 0 &&
            http.rfind("http-port=", 0) == 0) {
            m_loginPort = std::atoi(login.c_str() + 11);
            m_httpPort = std::atoi(http.c_str() + 10);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

SimProcess::~SimProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    std::remove((m_dir + "/ready").c_str());
    std::remove((m_dir + "/requests").c_str());
    rmdir(m_dir.c_str());
}

std::vector<std::string> SimProcess::Requests() const
{
    std::vector<std::string> lines;
    std::ifstream in(m_dir + "/requests");
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

int ClosedPort()
{
    // Bind a port, then let it go: nothing listens there afterwards.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t size = sizeof local;
    getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    close(fd);
    return ntohs(local.sin_port);
}
