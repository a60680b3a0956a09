#pragma once

#include <string>

// The guard that keeps a second copy of the program from running for the same user. It is held from
// a successful Check until Release or the process end (the kernel drops the lock with the process).
class CKvSingleExec
{
public:
    CKvSingleExec() = default;
    CKvSingleExec(const CKvSingleExec&) = delete;
    CKvSingleExec& operator=(const CKvSingleExec&) = delete;
    virtual ~CKvSingleExec();

    // True when this process is now the only holder of the name. Holding a guard already releases it
    // first. False when another process holds it or the lock cannot be made.
    bool Check(const char* name);
    void Release();

    // Where the lock for a name lives: the user's runtime folder, else a per-user name in /tmp.
    static std::string LockPath(const char* name);

private:
    int m_fd = -1;
    std::string m_path;
};
