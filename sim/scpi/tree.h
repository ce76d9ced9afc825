// The compiled command tree of one instrument: every header node of its command table, with
// hashed lookup of the literal children and ordered capture children, so resolving a header
// costs one hash probe per node.
#pragma once

#include "gsmbench/sim/scpi.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace gsmbench::sim::detail {

struct CapturedNode {
    std::string_view name;
    std::string_view value;
    int node;
};

// Captures collected while resolving one header, including those inherited from the header
// path of the previous command of the same message.
struct CaptureStack {
    static constexpr std::size_t capacity = 8;
    CapturedNode items[capacity];
    std::size_t size = 0;
};

class CommandTree {
  public:
    CommandTree();

    // Compiles rows; throws std::logic_error naming the pattern on a malformed or conflicting
    // row. `rows` may be added in several batches (engine rows, then the model's).
    void add(std::vector<Command> rows);

    static constexpr int root = 0;

    // Resolves upper-cased header nodes starting at `start`. On success `leaf` is the node whose
    // row has the wanted handler (set or query) and `captures` has grown by the captures taken.
    bool resolve(int start, const std::string_view *tokens, std::size_t count, bool query,
                 CaptureStack &captures, int &leaf) const;

    int parent(int node) const noexcept { return nodes_[node].parent; }
    const Command &set_row(int node) const { return rows_[nodes_[node].set_row]; }
    const Command &query_row(int node) const { return rows_[nodes_[node].query_row]; }

    // The row of a common command's set or query form, by its upper-case name without '*'
    // ("IDN"); null when there is none.
    const Command *common(std::string_view name, bool query) const;

    std::size_t node_count() const noexcept { return nodes_.size(); }

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    using Map = std::unordered_map<std::string, int, Hash, std::equal_to<>>;
    struct Node {
        Map literal;
        std::vector<std::pair<std::string, int>> captures;
        int parent = -1;
        std::string short_form, long_form; // literal nodes
        std::string capture_name;          // capture nodes
        int set_row = -1, query_row = -1;
    };
    struct PathNode {
        std::string text;
        bool capture;
    };

    void add_path(const std::vector<PathNode> &path, int row);
    int literal_child(int parent, const std::string &node_text, const std::string &pattern);
    int capture_child(int parent, const std::string &name);

    std::vector<Node> nodes_;
    std::vector<Command> rows_;
    std::unordered_map<std::string, std::pair<int, int>, Hash, std::equal_to<>> common_;
};

} // namespace gsmbench::sim::detail
