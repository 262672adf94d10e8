// A file size limit for the test process, so that writes past it fail as on a
// full disk, and so that a test can tell whether anything tried to write past
// it.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace zel::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        hits() = 0;
        previousHandler = std::signal(SIGXFSZ, [](int) { hits() = hits() + 1; });
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit lowered = previous;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

    // The writes refused for the limit so far.
    static volatile std::sig_atomic_t& hits() {
        static volatile std::sig_atomic_t count = 0;
        return count;
    }

private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace zel::test
