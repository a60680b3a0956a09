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
    // first. False when another process holds it or the lock cannot be made. True as well, without a
    // guard, when the user has no private folder to keep the lock in (Unguarded says why): a lock
    // where others could reach it would let another user keep this one from ever starting.
    bool Check(const char* name);
    void Release();
    const std::string& Unguarded() const { return m_unguarded; }

    // Where the lock for a name lives: the user's private runtime folder; empty when there is none.
    static std::string LockPath(const char* name);

private:
    int m_fd = -1;
    std::string m_path;
    std::string m_unguarded;
};
