#include "scpi/tree.h"

#include "scpi/mnemonic.h"

#include <stdexcept>

namespace gsmbench::sim::detail {
namespace {

[[noreturn]] void bad_pattern(const std::string &pattern, const std::string &why) {
    throw std::logic_error("command table: \"" + pattern + "\": " + why);
}

// One node of a pattern with the optional group it belongs to (-1: required).
struct PatternNode {
    std::string text;
    int group;
};

std::vector<PatternNode> parse_pattern(const std::string &pattern) {
    std::vector<PatternNode> nodes;
    int group = -1, groups = 0;
    std::string current;
    auto flush = [&] {
        if (!current.empty())
            nodes.push_back({current, group});
        current.clear();
    };
    for (char c : pattern) {
        if (c == ':') {
            flush();
        } else if (c == '[') {
            if (group >= 0)
                bad_pattern(pattern, "nested '['");
            flush();
            group = groups++;
        } else if (c == ']') {
            if (group < 0)
                bad_pattern(pattern, "']' without '['");
            flush();
            group = -1;
        } else {
            current += c;
        }
    }
    if (group >= 0)
        bad_pattern(pattern, "'[' without ']'");
    flush();
    if (nodes.empty())
        bad_pattern(pattern, "no node");
    if (groups > 6)
        bad_pattern(pattern, "too many optional nodes");
    return nodes;
}

} // namespace

CommandTree::CommandTree() {
    nodes_.emplace_back();
}

void CommandTree::add(std::vector<Command> rows) {
    for (auto &row : rows) {
        std::string pattern = row.pattern;
        if (!pattern.empty() && pattern.back() == '?')
            pattern.pop_back();
        if (!row.set && !row.query)
            bad_pattern(pattern, "no handler");
        int index = int(rows_.size());
        rows_.push_back(std::move(row));
        if (!pattern.empty() && pattern[0] == '*') {
            std::string name = upper(std::string_view(pattern).substr(1));
            if (!is_mnemonic(name))
                bad_pattern(pattern, "bad common command");
            // A model's common command replaces the engine's form (its rows come later).
            auto &forms = common_.try_emplace(name, -1, -1).first->second;
            if (rows_[index].set)
                forms.first = index;
            if (rows_[index].query)
                forms.second = index;
            continue;
        }
        auto nodes = parse_pattern(pattern);
        int groups = 0;
        for (auto &n : nodes)
            groups = std::max(groups, n.group + 1);
        for (unsigned mask = 0; mask < (1u << groups); ++mask) {
            std::vector<PathNode> path;
            for (auto &n : nodes) {
                if (n.group >= 0 && !(mask & (1u << n.group)))
                    continue;
                bool capture = n.text.size() > 2 && n.text.front() == '{' && n.text.back() == '}';
                path.push_back({capture ? n.text.substr(1, n.text.size() - 2) : n.text, capture});
            }
            if (path.empty())
                bad_pattern(pattern, "only optional nodes");
            add_path(path, index);
        }
    }
}

int CommandTree::literal_child(int parent, const std::string &node_text,
                               const std::string &pattern) {
    Forms forms;
    if (!node_forms(node_text, forms))
        bad_pattern(pattern, "bad node \"" + node_text + "\"");
    auto &map = nodes_[parent].literal;
    auto s = map.find(forms.short_form);
    auto l = map.find(forms.long_form);
    if (s != map.end() || l != map.end()) {
        int child = s != map.end() ? s->second : l->second;
        const Node &n = nodes_[child];
        if (n.short_form != forms.short_form || n.long_form != forms.long_form ||
            (s != map.end() && l != map.end() && s->second != l->second))
            bad_pattern(pattern, "node \"" + node_text + "\" clashes with \"" + n.long_form +
                                     "\" (short form " + n.short_form + ")");
        return child;
    }
    int child = int(nodes_.size());
    Node n;
    n.parent = parent;
    n.short_form = forms.short_form;
    n.long_form = forms.long_form;
    nodes_.push_back(std::move(n));
    nodes_[parent].literal.emplace(forms.short_form, child);
    nodes_[parent].literal.emplace(forms.long_form, child);
    return child;
}

int CommandTree::capture_child(int parent, const std::string &name) {
    for (auto &[n, child] : nodes_[parent].captures)
        if (n == name)
            return child;
    int child = int(nodes_.size());
    Node n;
    n.parent = parent;
    n.capture_name = name;
    nodes_.push_back(std::move(n));
    nodes_[parent].captures.emplace_back(name, child);
    return child;
}

void CommandTree::add_path(const std::vector<PathNode> &path, int row) {
    const std::string &pattern = rows_[row].pattern;
    int node = root;
    std::size_t captures = 0;
    for (auto &p : path) {
        if (p.capture) {
            if (!is_mnemonic(p.text))
                bad_pattern(pattern, "bad capture name \"" + p.text + "\"");
            if (++captures > CaptureStack::capacity)
                bad_pattern(pattern, "too many captures");
            node = capture_child(node, p.text);
        } else {
            node = literal_child(node, p.text, pattern);
        }
    }
    Node &leaf = nodes_[node];
    if (rows_[row].set) {
        if (leaf.set_row >= 0 && leaf.set_row != row)
            bad_pattern(pattern,
                        "command form also defined by \"" + rows_[leaf.set_row].pattern + "\"");
        leaf.set_row = row;
    }
    if (rows_[row].query) {
        if (leaf.query_row >= 0 && leaf.query_row != row)
            bad_pattern(pattern,
                        "query form also defined by \"" + rows_[leaf.query_row].pattern + "\"");
        leaf.query_row = row;
    }
}

bool CommandTree::resolve(int start, const std::string_view *tokens, std::size_t count, bool query,
                          CaptureStack &captures, int &leaf) const {
    const Node &node = nodes_[start];
    if (count == 0) {
        if ((query ? node.query_row : node.set_row) < 0)
            return false;
        leaf = start;
        return true;
    }
    auto it = node.literal.find(tokens[0]);
    if (it != node.literal.end() &&
        resolve(it->second, tokens + 1, count - 1, query, captures, leaf))
        return true;
    if (captures.size >= CaptureStack::capacity)
        return false;
    for (auto &[name, child] : node.captures) {
        captures.items[captures.size++] = {name, tokens[0], child};
        if (resolve(child, tokens + 1, count - 1, query, captures, leaf))
            return true;
        --captures.size;
    }
    return false;
}

const Command *CommandTree::common(std::string_view name, bool query) const {
    auto it = common_.find(name);
    if (it == common_.end())
        return nullptr;
    int row = query ? it->second.second : it->second.first;
    return row < 0 ? nullptr : &rows_[row];
}

} // namespace gsmbench::sim::detail
