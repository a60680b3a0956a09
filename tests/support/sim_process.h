#pragma once

#include <string>
#include <vector>

// A dispatch-sim of its own for one test, on loopback, ended when the object goes.
class SimProcess
{
public:
    // args are dispatch-sim options; the login port is chosen free and read back.
    explicit SimProcess(std::vector<std::string> args);
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();

    bool Ready() const { return m_loginPort > 0; }
    int LoginPort() const { return m_loginPort; }
    int HttpPort() const { return m_httpPort; }
    std::string HttpUrl(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_httpPort) + path;
    }
    // The lines the simulator logged for the requests it received.
    std::vector<std::string> Requests() const;

private:
    int m_pid = -1;
    int m_loginPort = 0;
    int m_httpPort = 0;
    std::string m_dir;
};

// A loopback port on which nothing listens.
int ClosedPort();
