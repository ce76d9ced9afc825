// Helpers for the black-box tests: RAII handles and one-line exchanges through
// the exported VISA API.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <visa.h>

namespace gsmbench::test {

class ResourceManagerHandle {
  public:
    ResourceManagerHandle() { status_ = viOpenDefaultRM(&rm_); }
    ~ResourceManagerHandle() {
        if (rm_ != VI_NULL) {
            viClose(rm_);
        }
    }
    ViSession get() const { return rm_; }
    ViStatus status() const { return status_; }
    // Forget without closing (the test closed it).
    void release() { rm_ = VI_NULL; }

  private:
    ViSession rm_ = VI_NULL;
    ViStatus status_;
};

// Points VXI-11 look-ups of resource managers opened afterwards at a port.
inline void use_portmapper(std::uint16_t port) {
    ::setenv("GSMBENCH_PORTMAPPER_PORT", std::to_string(port).c_str(), 1);
}

inline ViStatus query(ViSession vi, const std::string &line, std::string &reply,
                      std::size_t buffer_size = 256) {
    ViStatus st = viPrintf(vi, "%s", line.c_str());
    if (st != VI_SUCCESS) {
        return st;
    }
    std::string buffer(buffer_size, '\0');
    const std::string directive = "%" + std::to_string(buffer_size - 1) + "t";
    st = viScanf(vi, directive.c_str(), buffer.data());
    reply = buffer.c_str();
    return st;
}

} // namespace gsmbench::test
