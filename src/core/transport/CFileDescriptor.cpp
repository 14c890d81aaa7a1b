#include "core/transport/CFileDescriptor.h"

#include <unistd.h>

bool CFileDescriptor::reset(int fd) {
    bool closed = true;
    if (m_fd >= 0) {
        closed = ::close(m_fd) == 0;
    }
    m_fd = fd;
    return closed;
}
