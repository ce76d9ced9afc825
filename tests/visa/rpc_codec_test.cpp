// XDR, record marking and the VXI-11 codecs, including what a hostile or
// broken peer can send.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gsmbench/rpc/portmap.h"
#include "gsmbench/rpc/record.h"
#include "gsmbench/rpc/vxi11.h"

using namespace gsmbench::rpc;
namespace vx = gsmbench::rpc::vxi11;

namespace {

std::vector<std::uint8_t> words(std::initializer_list<std::uint32_t> list) {
    std::vector<std::uint8_t> out(list.size() * 4);
    XdrWriter w(out.data(), out.size());
    for (auto v : list) {
        w.put_u32(v);
    }
    return out;
}

std::vector<std::uint8_t> framed(const std::vector<std::uint8_t> &body, std::size_t fragment) {
    std::vector<std::uint8_t> out;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(fragment, body.size() - at);
        std::uint8_t mark[4];
        put_record_mark(mark, static_cast<std::uint32_t>(n), at + n == body.size());
        out.insert(out.end(), mark, mark + 4);
        out.insert(out.end(), body.begin() + static_cast<long>(at),
                   body.begin() + static_cast<long>(at + n));
        at += n;
    } while (at < body.size());
    return out;
}

} // namespace

TEST(Xdr, OpaqueIsLengthPrefixedAndPaddedToFourBytes) {
    std::uint8_t buf[16];
    XdrWriter w(buf, sizeof buf);
    const std::uint8_t data[5] = {1, 2, 3, 4, 5};
    w.put_opaque(data);
    ASSERT_TRUE(w.ok());
    ASSERT_EQ(w.size(), 12u);
    const std::uint8_t expected[12] = {0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buf, expected, 12), 0);

    XdrReader r(buf, w.size());
    const auto view = r.get_opaque(64);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(view.size(), 5u);
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(Xdr, WriterFailsStickyWhenTheBufferIsFull) {
    std::uint8_t buf[6];
    XdrWriter w(buf, sizeof buf);
    w.put_u32(1);
    w.put_u32(2); // does not fit
    EXPECT_FALSE(w.ok());
    w.put_u32(3);
    EXPECT_EQ(w.size(), 4u);
}

struct HostileOpaque {
    const char *name;
    std::vector<std::uint8_t> bytes;
    std::size_t max_length;
};

class XdrHostile : public testing::TestWithParam<HostileOpaque> {};

TEST_P(XdrHostile, ReaderRefusesWithoutReadingPastTheData) {
    const auto &c = GetParam();
    XdrReader r(c.bytes.data(), c.bytes.size());
    const auto view = r.get_opaque(c.max_length);
    EXPECT_FALSE(r.ok()) << c.name;
    EXPECT_TRUE(view.empty());
    EXPECT_EQ(r.get_u32(), 0u); // stays failed
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XdrHostile,
    testing::Values(HostileOpaque{"length beyond data", words({8, 0x41414141}), 64},
                    HostileOpaque{"length near 2^32 (padding would wrap)", words({0xFFFFFFFF, 0}),
                                  SIZE_MAX},
                    HostileOpaque{"length above the caller's cap", words({8, 1, 2}), 4},
                    HostileOpaque{"padding missing", {0, 0, 0, 3, 'a', 'b', 'c'}, 64},
                    HostileOpaque{"length word cut off", {0, 0, 1}, 64}),
    [](const auto &info) { return "case" + std::to_string(info.index); });

TEST(RecordAssembler, JoinsFragmentsFedOneByteAtATime) {
    std::vector<std::uint8_t> body(300);
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<std::uint8_t>(i);
    }
    auto stream = framed(body, 7);
    stream.push_back(0xEE); // first byte of the next record stays unconsumed
    RecordAssembler rec(1024);
    std::size_t used = 0;
    while (rec.state() == RecordAssembler::State::need_more && used < stream.size()) {
        used += rec.feed({stream.data() + used, 1});
    }
    ASSERT_EQ(rec.state(), RecordAssembler::State::complete);
    EXPECT_EQ(used, stream.size() - 1);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), rec.record().begin(), rec.record().end()));
    EXPECT_EQ(rec.feed({stream.data() + used, 1}), 0u);
}

TEST(RecordAssembler, EmptyLastFragmentCompletesARecord) {
    const std::uint8_t stream[] = {0x00, 0x00, 0x00, 0x02, 'h', 'i', 0x80, 0x00, 0x00, 0x00};
    RecordAssembler rec(64);
    EXPECT_EQ(rec.feed(stream), sizeof stream);
    ASSERT_EQ(rec.state(), RecordAssembler::State::complete);
    EXPECT_EQ(rec.record().size(), 2u);
}

TEST(RecordAssembler, RefusesAFragmentLargerThanTheCapBeforeStoringIt) {
    std::uint8_t stream[4];
    put_record_mark(stream, 0x7FFFFFFF, true);
    RecordAssembler rec(4096);
    rec.feed(stream);
    EXPECT_EQ(rec.state(), RecordAssembler::State::error);
    EXPECT_EQ(rec.error(), RecordAssembler::Error::record_too_large);
}

TEST(RecordAssembler, RefusesFragmentsThatTogetherExceedTheCap) {
    const auto stream = framed(std::vector<std::uint8_t>(100, 1), 30);
    RecordAssembler rec(64);
    rec.feed(stream);
    EXPECT_EQ(rec.error(), RecordAssembler::Error::record_too_large);
}

TEST(RecordAssembler, RefusesAFloodOfEmptyFragments) {
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 20; ++i) {
        stream.insert(stream.end(), {0, 0, 0, 0});
    }
    RecordAssembler rec(64, 16);
    rec.feed(stream);
    EXPECT_EQ(rec.error(), RecordAssembler::Error::too_many_fragments);
}

TEST(RecordAssembler, TruncatedStreamStaysIncomplete) {
    auto stream = framed(std::vector<std::uint8_t>(40, 9), 40);
    stream.resize(stream.size() - 1);
    RecordAssembler rec(64);
    EXPECT_EQ(rec.feed(stream), stream.size());
    EXPECT_EQ(rec.state(), RecordAssembler::State::need_more);
    EXPECT_EQ(rec.wanted(), 1u);
}

TEST(OncRpc, CallAndReplyHeadersRoundTripAndRejectTheWrongKind) {
    std::uint8_t buf[128];
    XdrWriter w(buf, sizeof buf);
    vx::encode_device_write_call(w, 77, {5, 1000, 0, vx::kFlagEnd, {}});
    ASSERT_TRUE(w.ok());
    XdrReader r(buf, w.size());
    CallHeader call;
    ASSERT_TRUE(decode_call_header(r, call));
    EXPECT_EQ(call.xid, 77u);
    EXPECT_EQ(call.program, vx::kCoreProgram);
    EXPECT_EQ(call.procedure, vx::kDeviceWrite);

    // A call is not a reply.
    XdrReader again(buf, w.size());
    ReplyHeader reply;
    EXPECT_FALSE(decode_reply_header(again, reply));
}

TEST(OncRpc, CallWithForeignRpcVersionIsFlagged) {
    const auto bytes = words({1, kMsgCall, 3, 100000, 2, 3, 0, 0, 0, 0});
    XdrReader r(bytes.data(), bytes.size());
    CallHeader call;
    bool mismatch = false;
    EXPECT_FALSE(decode_call_header(r, call, &mismatch));
    EXPECT_TRUE(mismatch);
}

TEST(OncRpc, OversizedCredentialIsRefused) {
    const auto bytes = words({1, kMsgCall, 2, 100000, 2, 3, 1, 1000});
    XdrReader r(bytes.data(), bytes.size());
    CallHeader call;
    EXPECT_FALSE(decode_call_header(r, call));
}

TEST(Portmap, GetportRoundTrip) {
    std::uint8_t buf[128];
    XdrWriter w(buf, sizeof buf);
    encode_getport_call(w, 9, {vx::kCoreProgram, vx::kCoreVersion, kIpProtoTcp, 0});
    XdrReader r(buf, w.size());
    CallHeader call;
    PortmapMapping m;
    ASSERT_TRUE(decode_call_header(r, call));
    ASSERT_TRUE(decode_getport_args(r, m));
    EXPECT_EQ(m.program, vx::kCoreProgram);

    XdrWriter rw(buf, sizeof buf);
    encode_getport_reply(rw, 9, 4321);
    XdrReader rr(buf, rw.size());
    ReplyHeader reply;
    std::uint32_t port = 0;
    ASSERT_TRUE(decode_reply_header(rr, reply));
    EXPECT_TRUE(reply.succeeded());
    ASSERT_TRUE(decode_getport_result(rr, port));
    EXPECT_EQ(port, 4321u);
}

TEST(Vxi11, EveryMessageRoundTripsBothWays) {
    std::uint8_t buf[256];
    const std::uint8_t payload[] = {'*', 'I', 'D', 'N', '?', '\n'};

    XdrWriter w(buf, sizeof buf);
    vx::encode_create_link_call(w, 1, {42, false, 0, "gpib0,14"});
    XdrReader r(buf, w.size());
    CallHeader call;
    vx::CreateLinkParms link;
    ASSERT_TRUE(decode_call_header(r, call) && vx::decode_create_link_args(r, link));
    EXPECT_EQ(link.device, "gpib0,14");
    EXPECT_EQ(link.client_id, 42);

    XdrWriter w2(buf, sizeof buf);
    vx::encode_create_link_reply(w2, 1, {0, 7, 0, 1500});
    XdrReader r2(buf, w2.size());
    ReplyHeader reply;
    vx::CreateLinkResp link_resp;
    ASSERT_TRUE(decode_reply_header(r2, reply) && vx::decode_create_link_result(r2, link_resp));
    EXPECT_EQ(link_resp.lid, 7);
    EXPECT_EQ(link_resp.max_recv_size, 1500u);

    XdrWriter w3(buf, sizeof buf);
    vx::encode_device_read_call(w3, 2, {7, 512, 2000, 0, vx::kFlagTermCharSet, '\n'});
    XdrReader r3(buf, w3.size());
    vx::DeviceReadParms read;
    ASSERT_TRUE(decode_call_header(r3, call) && vx::decode_device_read_args(r3, read));
    EXPECT_EQ(read.request_size, 512u);
    EXPECT_EQ(read.term_char, '\n');

    XdrWriter w4(buf, sizeof buf);
    vx::encode_device_read_reply(w4, 2, {0, vx::kReasonEnd, payload});
    XdrReader r4(buf, w4.size());
    vx::DeviceReadResp read_resp;
    ASSERT_TRUE(decode_reply_header(r4, reply) && vx::decode_device_read_result(r4, read_resp));
    EXPECT_EQ(read_resp.reason, vx::kReasonEnd);
    ASSERT_EQ(read_resp.data.size(), sizeof payload);

    XdrWriter w5(buf, sizeof buf);
    vx::encode_device_generic_call(w5, 3, vx::kDeviceClear, {7, 0, 0, 2000});
    XdrReader r5(buf, w5.size());
    vx::DeviceGenericParms generic;
    ASSERT_TRUE(decode_call_header(r5, call) && vx::decode_device_generic_args(r5, generic));
    EXPECT_EQ(call.procedure, vx::kDeviceClear);
    EXPECT_EQ(generic.io_timeout, 2000u);
}

TEST(Vxi11, TruncatedReadReplyIsRefused) {
    std::uint8_t buf[256];
    const std::uint8_t payload[40] = {};
    XdrWriter w(buf, sizeof buf);
    vx::encode_device_read_reply(w, 2, {0, vx::kReasonEnd, payload});
    for (std::size_t cut = 0; cut < w.size(); cut += 4) {
        XdrReader r(buf, cut);
        ReplyHeader reply;
        vx::DeviceReadResp resp;
        const bool ok = decode_reply_header(r, reply) && vx::decode_device_read_result(r, resp);
        EXPECT_FALSE(ok) << "cut at " << cut;
    }
}

// Bounded random input: whatever a peer sends, decoders stay inside the
// bytes they were given (ASan checks the reads) and views point into them.
TEST(RandomInput, DecodersAndAssemblerStayInBounds) {
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes(next() % 96);
        for (auto &b : bytes) {
            // Mostly small words, so lengths and enums hit interesting values.
            b = static_cast<std::uint8_t>((next() % 4 == 0) ? next() : (next() % 3));
        }
        const auto inside = [&](std::span<const std::uint8_t> view) {
            return view.empty() || (view.data() >= bytes.data() &&
                                    view.data() + view.size() <= bytes.data() + bytes.size());
        };
        {
            XdrReader r(bytes.data(), bytes.size());
            ReplyHeader h;
            vx::DeviceReadResp resp;
            if (decode_reply_header(r, h) && vx::decode_device_read_result(r, resp)) {
                EXPECT_TRUE(inside(resp.data));
            }
        }
        {
            XdrReader r(bytes.data(), bytes.size());
            CallHeader c;
            vx::DeviceWriteParms w;
            vx::CreateLinkParms l;
            if (decode_call_header(r, c)) {
                XdrReader copy = r;
                if (vx::decode_device_write_args(r, w)) {
                    EXPECT_TRUE(inside(w.data));
                }
                if (vx::decode_create_link_args(copy, l)) {
                    EXPECT_LE(l.device.size(), vx::kMaxDeviceName);
                }
            }
        }
        {
            RecordAssembler rec(64, 8);
            std::size_t used = 0;
            while (used < bytes.size() && rec.state() == RecordAssembler::State::need_more) {
                const std::size_t n = 1 + next() % 7;
                used += rec.feed({bytes.data() + used, std::min(n, bytes.size() - used)});
            }
            EXPECT_LE(rec.record().size(), 64u);
        }
    }
}
