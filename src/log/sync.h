#pragma once

#include <mutex>

// The lock interface the log is written against, one lock on a mutex, and a scope guard for it.
class IKvSyncObject
{
public:
    virtual bool Lock() = 0;
    virtual bool Unlock() = 0;
    virtual ~IKvSyncObject() = default;
};

class CKvCS : public IKvSyncObject
{
public:
    bool Lock() override;
    bool Unlock() override;

private:
    std::mutex m_mutex;
};

// Holds a lock for its own lifetime; a lock that refuses is simply not held, and nothing is released.
class CKvAutoLock
{
public:
    explicit CKvAutoLock(IKvSyncObject* lock);
    CKvAutoLock(const CKvAutoLock&) = delete;
    CKvAutoLock& operator=(const CKvAutoLock&) = delete;
    virtual ~CKvAutoLock();

    bool IsLocked() const { return m_locked; }

private:
    bool m_locked = false;
    IKvSyncObject* m_lock = nullptr;
};
