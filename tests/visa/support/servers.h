// In-test servers on loopback: a raw SCPI socket server and a VXI-11 server
// (portmapper and core channel) built on the project's rpc library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "instrument.h"

namespace gsmbench::test {

class ServerBase {
  public:
    virtual ~ServerBase();
    Instrument &instrument() { return instrument_; }
    void stop();

  protected:
    void start_accepting(int listen_fd, std::function<void(int)> serve);
    void track(int fd);
    void untrack(int fd);

    Instrument instrument_;
    std::mutex mutex_;
    std::vector<int> listen_fds_;
    std::vector<int> connections_;
    std::vector<std::thread> threads_;
    bool stopped_ = false;
};

class ScpiSocketServer : public ServerBase {
  public:
    explicit ScpiSocketServer(bool ipv6 = false);
    ~ScpiSocketServer() override;
    std::uint16_t port() const { return port_; }
    std::string resource() const;

  private:
    void serve(int fd);
    std::uint16_t port_ = 0;
    bool ipv6_;
};

struct WriteChunk {
    std::size_t size;
    bool end;
};

struct Vxi11Options {
    std::uint32_t max_recv_size = 1024;
    std::size_t read_chunk = 0;    // cap on bytes per device_read reply (0: none)
    std::size_t fragment_size = 0; // split reply records into fragments (0: one)
    // A held reply's device_read answer goes out in two parts: the first bytes
    // at once, the rest only after release_hold() (a reply cut by a time-out).
    bool split_held_reply = false;
    // Answer device_read with a record header announcing 2 GiB (a hostile or
    // broken server).
    bool oversized_read_reply = false;
    // Portmapper port; 0 picks an ephemeral one (111 lets stock clients in).
    std::uint16_t portmapper_port = 0;
};

class Vxi11Server : public ServerBase {
  public:
    explicit Vxi11Server(Vxi11Options options = {});
    ~Vxi11Server() override;
    std::uint16_t portmapper_port() const { return portmapper_port_; }
    std::uint16_t core_port() const { return core_port_; }
    std::vector<WriteChunk> write_chunks();
    int links_open();
    int clears();

  private:
    void serve_portmapper(int fd);
    void serve_core(int fd);
    bool send_record(int fd, const std::uint8_t *data, std::size_t size);

    Vxi11Options options_;
    std::uint16_t portmapper_port_ = 0;
    std::uint16_t core_port_ = 0;
    std::vector<WriteChunk> chunks_;
    int links_ = 0;
    int clears_ = 0;
};

} // namespace gsmbench::test
