// Both servers keep one thread per client connection in a list; finished
// connections are joined outside the lock so a slow join never blocks accept.
#pragma once

#include <list>
#include <memory>
#include <mutex>

namespace gsmbench::sim {

// Removes the finished connections (every connection when `all`) from
// `connections` under `mutex`, then joins their threads. Conn needs `done`
// and `thread` members.
template <typename Conn>
void reap_connections(std::mutex &mutex, std::list<std::unique_ptr<Conn>> &connections,
                      bool all) {
    std::list<std::unique_ptr<Conn>> finished;
    {
        std::lock_guard lock(mutex);
        for (auto it = connections.begin(); it != connections.end();) {
            if (all || (*it)->done) {
                finished.push_back(std::move(*it));
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto &c : finished)
        if (c->thread.joinable())
            c->thread.join();
}

} // namespace gsmbench::sim
