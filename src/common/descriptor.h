#pragma once
// A file descriptor that is closed on every path out of a function, and a write
// that continues a short write until every byte is written.

#include <string_view>

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { close(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now; the error close gave (0 when none). A network file system may
    // report a failed write only here.
    int close();
    // Closes the descriptor held, if any, and holds fd instead.
    void reset(int fd)
    {
        close();
        fd_ = fd;
    }

private:
    int fd_;
};

// Writes every byte, with as few write(2) calls as the system allows (one, unless a
// write comes back short); retries on EINTR. Returns 0 or the error.
int writeFully(int fd, std::string_view bytes);
