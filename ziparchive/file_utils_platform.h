// Services of the operating system behind the portable file utilities; one implementation
// in file_utils_win.cpp, one in file_utils_posix.cpp.
#pragma once
#include <cstdint>

#include "classlib/sysutils.h"

namespace file_utils_platform {
// Stops the system from asking the user about failing drives while it lives.
class TCriticalErrorGuard {
public:
    TCriticalErrorGuard();
    ~TCriticalErrorGuard();
    TCriticalErrorGuard(const TCriticalErrorGuard&) = delete;
    TCriticalErrorGuard& operator=(const TCriticalErrorGuard&) = delete;
private:
    unsigned FOldMode = 0;
};

// True when Source and Dest name the same existing file (hard links and case included).
bool SameFile(const AnsiString& source, const AnsiString& dest);
}  // namespace file_utils_platform
