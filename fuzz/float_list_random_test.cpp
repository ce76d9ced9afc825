// Bounded random-input test of the result-list decoder, run in every build
// (sanitizers included): a fixed seed, so a failure reproduces, and inputs
// biased toward what makes numbers and separators interesting.
#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "float_list_check.h"

namespace {

constexpr int kInputs = 200000;

// Characters weighted toward numbers and separators, with the letters that
// start words strtod would accept (inf, nan, hex) and other white space.
constexpr char kAlphabet[] = "0123456789012345678901234567890123456789"
                             "++--..eEeE;;,,,   "
                             "xXiInNfFaA\t\n\r\v\f#%";

std::string random_reply(std::mt19937 &rng) {
    std::uniform_int_distribution<int> length_of(0, 120);
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
    std::uniform_int_distribution<int> any_byte(1, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string reply;
    const int length = length_of(rng);
    for (int i = 0; i < length; ++i) {
        const int roll = percent(rng);
        if (roll < 3) {
            reply += static_cast<char>(any_byte(rng)); // any byte but NUL
        } else if (roll < 6) {
            reply += std::string(static_cast<std::size_t>(length_of(rng) / 3), '9'); // overflow
        } else if (roll < 8) {
            reply += "e-3"; // exponent forms toward underflow
            reply += std::string(static_cast<std::size_t>(percent(rng) % 4), '9');
        } else {
            reply += kAlphabet[pick(rng)];
        }
    }
    return reply;
}

TEST(FloatListRandom, MatchesReferenceAndStaysInBounds) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C") << "the reference needs the C locale";
    std::mt19937 rng(20261207u);
    std::uniform_int_distribution<int> capacity_of(-1, 42);
    int failures = 0;
    for (int n = 0; n < kInputs && failures < 10; ++n) {
        const std::string reply = random_reply(rng);
        const int capacity = capacity_of(rng);
        // Exactly sized, unterminated: a read past it is a sanitizer error.
        std::unique_ptr<char[]> exact(new char[reply.size() + 1]);
        std::memcpy(exact.get(), reply.data(), reply.size());
        std::string problem = gsmbench::fuzz::check_decode(exact.get(), reply.size(), capacity);
        if (problem.empty()) {
            problem = gsmbench::fuzz::check_decode(reply.c_str(), SIZE_MAX, capacity);
        }
        if (!problem.empty()) {
            ++failures;
            ADD_FAILURE() << "input " << n << " \"" << reply << "\" capacity " << capacity << ": "
                          << problem;
        }
    }
}

// Calls on several threads at once share nothing: each must decode exactly
// what a lone call decodes (a tokenizer with hidden state, like strtok, would
// mix the threads' replies). Run under ThreadSanitizer by the concurrency
// label.
TEST(FloatListConcurrency, ThreadsDecodeIndependently) {
    constexpr int kReplies = 2000;
    constexpr int kThreads = 4;
    constexpr int kCapacity = 8;
    std::mt19937 rng(7u);
    std::vector<std::string> replies;
    std::vector<std::vector<float>> alone;
    for (int i = 0; i < kReplies; ++i) {
        replies.push_back(random_reply(rng));
        std::vector<float> values(kCapacity, 0.0f);
        gsmbench::meas::parse_float_list(replies.back().c_str(), values.data(), kCapacity);
        alone.push_back(values);
    }
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (int i = (t * 397) % kReplies, n = 0; n < kReplies;
                     ++n, i = (i + 1) % kReplies) {
                    std::vector<float> values(kCapacity, 0.0f);
                    gsmbench::meas::parse_float_list(replies[i].c_str(), values.data(), kCapacity);
                    for (int k = 0; k < kCapacity; ++k) {
                        if (!gsmbench::fuzz::same_bits(values[k], alone[i][k])) {
                            ++mismatches[t];
                            break;
                        }
                    }
                }
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
}

} // namespace
