// Named temporary files that an interrupt must not leave behind. While a name is held,
// SIGINT, SIGTERM or SIGHUP removes the file before the signal ends the process as it
// would have. A handler the program installed itself is left alone.
#pragma once

#include <string>

namespace qrp {

class InterruptCleanup {
  public:
    // Holds path (a full name: the working folder may change) until destroyed or Release.
    explicit InterruptCleanup(const std::string& path);
    ~InterruptCleanup() { Release(); }
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // The file is gone or has its final name: an interrupt leaves it.
    void Release();

  private:
    int m_slot = -1;  // -1: the table was full, or released
};

}  // namespace qrp
