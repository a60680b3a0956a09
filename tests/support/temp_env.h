#pragma once

#include <string>
#include <utility>
#include <vector>

// A fresh folder per test, with HOME, the XDG folders and TMPDIR pointed into it, so that no test
// touches the real user's files. Everything is put back and removed on destruction.
class TempEnv
{
public:
    TempEnv();
    TempEnv(const TempEnv&) = delete;
    TempEnv& operator=(const TempEnv&) = delete;
    ~TempEnv();

    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

private:
    std::string m_root;
    std::vector<std::pair<std::string, std::string>> m_saved; // name, value ("\x01" when unset)
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool Exists(const std::string& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> ListDir(const std::string& path);
// UTF-8 source text to the CP949 the program keeps.
std::string Cp(const char* utf8);
