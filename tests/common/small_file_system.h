#pragma once
// A file system of a few KiB (a tmpfs), for tests of a full disk. Only root may mount
// one: elsewhere mounted() is false and the test skips itself.

#include <cstdlib>
#include <string>

#include <sys/mount.h>
#include <unistd.h>

class SmallFileSystem {
public:
    explicit SmallFileSystem(unsigned kibibytes)
    {
        std::string pattern = "/tmp/truv-small-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return;
        path_ = pattern;
        const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0777";
        mounted_ = geteuid() == 0 && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    ~SmallFileSystem()
    {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
        if (!path_.empty())
            ::rmdir(path_.c_str());
    }

    bool mounted() const { return mounted_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    bool mounted_ = false;
};
