#include "platform/single_instance.h"

#include "platform/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CKvSingleExec::~CKvSingleExec()
{
    Release();
}

std::string CKvSingleExec::LockPath(const char* name)
{
    const platform::PrivateFolder folder = platform::UserRuntimeDir();
    return folder.Path.empty() ? std::string() : folder.Path + "/" + name + ".lock";
}

bool CKvSingleExec::Check(const char* name)
{
    Release();
    m_unguarded.clear();
    const platform::PrivateFolder folder = platform::UserRuntimeDir();
    if (folder.Path.empty()) {
        m_unguarded = folder.Refusal;
        return true;
    }
    const std::string path = folder.Path + "/" + name + ".lock";
    // The lock file is removed by its holder on release. A process that opened the old file just
    // before that removal may win the lock on a file that no longer has the name, so the lock only
    // counts when the locked file is still the one the name points to.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            return false;
        }
        struct stat held
        {
        };
        if (fstat(fd, &held) != 0 || held.st_uid != getuid() || !S_ISREG(held.st_mode)) {
            close(fd);
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return false;
        }
        struct stat named
        {
        };
        if (stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            m_fd = fd;
            m_path = path;
            return true;
        }
        close(fd);
    }
    return false;
}

void CKvSingleExec::Release()
{
    if (m_fd < 0) {
        return;
    }
    // Remove the name while still holding the lock, so nobody can lock the file we are leaving.
    unlink(m_path.c_str());
    close(m_fd);
    m_fd = -1;
    m_path.clear();
}
