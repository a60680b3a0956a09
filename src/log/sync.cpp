#include "log/sync.h"

bool CKvCS::Lock()
{
    m_mutex.lock();
    return true;
}

bool CKvCS::Unlock()
{
    m_mutex.unlock();
    return true;
}

CKvAutoLock::CKvAutoLock(IKvSyncObject* lock)
{
    if (lock != nullptr && lock->Lock()) {
        m_lock = lock;
        m_locked = true;
    }
}

CKvAutoLock::~CKvAutoLock()
{
    if (m_locked && m_lock != nullptr) {
        m_lock->Unlock();
        m_locked = false;
    }
}
