#include "progress.h"

#include "text_util.h"

namespace gsmbench::tool {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class LiveProgress final : public Progress {
  public:
    explicit LiveProgress(std::ostream &out) : out_(out) {}
    void step(std::string_view text) override {
        step_ = text;
        wait_.clear();
        draw(true);
    }
    void waiting(std::string_view text) override {
        const bool changed = wait_ != text;
        wait_ = text;
        draw(changed);
    }
    void finish() override {
        if (drawn_) {
            out_ << "\r\x1b[K" << std::flush;
            drawn_ = false;
        }
    }

  private:
    void draw(bool force) {
        // A terminal redraw per exchange would cost more than the exchange:
        // redraw on change, else at most every 100 ms.
        const auto now = Clock::now();
        if (!force && now - last_draw_ < std::chrono::milliseconds(100)) {
            return;
        }
        last_draw_ = now;
        std::string line = "[" + format_fixed(seconds_since(start_), 1) + " s] " + step_;
        if (!wait_.empty()) {
            line += "  (waiting: " + wait_ + ")";
        }
        if (line.size() > 110) {
            line.resize(110);
        }
        out_ << "\r\x1b[K" << line << std::flush;
        drawn_ = true;
    }

    std::ostream &out_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_draw_{};
    std::string step_, wait_;
    bool drawn_ = false;
};

class PlainProgress final : public Progress {
  public:
    explicit PlainProgress(std::ostream &out) : out_(out) {}
    void step(std::string_view text) override {
        out_ << format_fixed(seconds_since(start_), 3) << " s  " << text << '\n';
        wait_.clear();
    }
    void waiting(std::string_view text) override {
        // One line per change of what is awaited, not one per poll.
        if (text != wait_) {
            wait_ = text;
            out_ << format_fixed(seconds_since(start_), 3) << " s    waiting: " << text << '\n';
        }
    }
    void finish() override { out_.flush(); }

  private:
    std::ostream &out_;
    Clock::time_point start_ = Clock::now();
    std::string wait_;
};

class NoProgress final : public Progress {
  public:
    void step(std::string_view) override {}
    void waiting(std::string_view) override {}
    void finish() override {}
};

} // namespace

std::unique_ptr<Progress> make_progress(ProgressStyle style, std::ostream &out) {
    switch (style) {
    case ProgressStyle::live: return std::make_unique<LiveProgress>(out);
    case ProgressStyle::plain: return std::make_unique<PlainProgress>(out);
    case ProgressStyle::none: break;
    }
    return std::make_unique<NoProgress>();
}

ProgressStyle progress_style_for(bool stream_is_terminal) {
    return stream_is_terminal ? ProgressStyle::live : ProgressStyle::plain;
}

} // namespace gsmbench::tool
