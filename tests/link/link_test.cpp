#include "link/link.h"
#include "support/fake_clock.h"
#include "support/frames.h"
#include "support/memory_port_opener.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kMs = 1000;

Strings cells(const HistoryRow& row) {
    return {row.sent, row.received, row.instr, row.object, row.in, row.out};
}

// One instruction: a letter for the 5-byte form, a code and machine for the 4-byte one.
struct Cmd {
    int letterOrCode, machine, data1, data2;
};

// One frame and what its decoding says: for the 5-byte form a letter (machine 0), for the 4-byte form a code
// and machine; values as the switch instruction has them (output, input).
struct Row {
    int letterOrCode, machine, out, in;
    const char* instr; // "Error": not recognised
    const char* object;
    const char* effect = ""; // "" for none
};

Frame answerFrame(int length, const Row& r) {
    return length == 5 ? five(r.letterOrCode, r.out, r.in)
                       : fourAnswer(r.letterOrCode, r.machine, r.out, r.in);
}

class LinkTest : public ::testing::Test {
protected:
    LinkTest() {
        link.setRules(&rules);
        link.setListener(&listener);
        link.setHistoryOpen(true);
    }

    MemoryChannel& openPort(int length, int number = 1) {
        link.setProtocolLength(length);
        link.setPortNumber(number);
        link.OpenPort();
        return opener.channel(number);
    }
    void simulate(int length) { openPort(length, 0); }

    SendResult send(const Cmd& c) {
        if (link.protocolLength() == 5)
            return link.SendCommand({.cmdLetter = c.letterOrCode, .cmdData1 = c.data1, .cmdData2 = c.data2});
        return link.SendCommand(
            {.cmdCode = c.letterOrCode, .cmdMachine = c.machine, .cmdData1 = c.data1, .cmdData2 = c.data2});
    }
    SendResult send5(int letter, int d1, int d2) { return send({letter, 0, d1, d2}); }
    SendResult send4(int code, int machine, int d1, int d2) { return send({code, machine, d1, d2}); }

    Strings takeEffects() { return std::exchange(rules.effects, {}); }
    // The log's words and the effects of the row's answer.
    void expectDecoded(const Row& r) {
        EXPECT_EQ(link.logInstr(), r.instr);
        EXPECT_EQ(link.logObject(), r.object);
        EXPECT_EQ(takeEffects(), *r.effect ? Strings{r.effect} : Strings{});
    }
    // The row's frame arrives unasked and the main loop reads it.
    void expectAnswer(MemoryChannel& port, int length, const Row& r) {
        const Frame frame = answerFrame(length, r);
        SCOPED_TRACE(hexText(frame));
        listener.rows.clear();
        port.deliver(frame);
        link.ProcessReply();
        const bool ok = std::string(r.instr) != "Error";
        EXPECT_EQ(link.replyError(), !ok);
        expectDecoded(r);
        ASSERT_EQ(listener.rows.size(), 1u);
        EXPECT_EQ(listener.rows[0].recognised, ok);
        EXPECT_EQ(listener.rows[0].in, ok ? " " + std::to_string(r.in) : "no");
        EXPECT_EQ(listener.rows[0].out, ok ? " " + std::to_string(r.out) : "reply");
    }
    // Reads what the matrix left on the line, rows and effects included.
    void drain(MemoryChannel& port) {
        while (port.bytesWaiting() > 0)
            link.ProcessReply();
        takeEffects();
        listener.rows.clear();
    }

    FakeClock clock;
    MemoryPortOpener opener{clock};
    RecordingRules rules;
    RecordingLinkListener listener;
    Link link{clock, opener};
};

TEST_F(LinkTest, PortsOpenCloseAndFail) {
    EXPECT_TRUE(link.portError()) << "no open has succeeded yet";
    openPort(5, 5);
    EXPECT_FALSE(link.portError());
    link.OpenPort(); // a reopen closes the old channel first
    EXPECT_TRUE(opener.channel(5).isOpen());
    link.closePort();
    EXPECT_FALSE(opener.channel(5).isOpen());

    simulate(5);
    EXPECT_EQ(opener.requests, (std::vector<int>{5, 5})) << "port 0 asks for no device";
    EXPECT_TRUE(link.portError());

    openPort(5, 5);
    opener.refuse(3);
    MemoryChannel& refused = openPort(5, 3);
    EXPECT_TRUE(link.portError());
    EXPECT_FALSE(opener.channel(5).isOpen()) << "opening another port lets the old one go";
    // Sends to a port that failed write nothing; the 4-byte wait gives up at once with an error row.
    EXPECT_TRUE(send5('V', 3, 1).replyError);
    EXPECT_TRUE(listener.rows.empty());
    link.setProtocolLength(4);
    const std::int64_t start = clock.nowMicros();
    send4(1, 1, 3, 1);
    EXPECT_EQ(clock.nowMicros(), start);
    EXPECT_TRUE(refused.takeWritten().empty());
    EXPECT_EQ(link.firstByte(), 0xFE);
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]), (Strings{"01.81.83.81", "", "Error", "video", "no", "reply"}));
}

TEST_F(LinkTest, FrameLayoutsAndValuesTheWireCannotCarry) {
    // The form, the instruction and the frame written. The not-assigned mark (257) and above go out as 255;
    // 256 would wrap round to output 0 (every output) or 128, a negative value to 255: refused, no frame.
    // clang-format off
    const std::vector<std::tuple<int, Cmd, Frame>> cases = {
        {5, {'V', 0, 3, 1}, five('V', 3, 1)}, {5, {'l', 0, 200, 0}, five('l', 200, 0)},
        {5, {'V', 0, 257, 300}, five('V', 255, 255)}, {4, {1, 1, 3, 1}, four(1, 1, 3, 1)},
        {4, {1, 1, 3, 200}, four(1, 1, 3, 200)}, {4, {1, 5, 200, 1}, four(1, 5, 200, 1)},
        {4, {2, 1, 131, 200}, four(2, 1, 131, 200)}, {4, {1, 1, 257, 255}, four(1, 1, 255, 255)},
        {5, {'V', 0, 256, 7}, {}}, {5, {'V', 0, 3, -1}, {}}, {4, {1, 1, 3, 256}, {}}, {4, {1, 1, -2, 1}, {}}};
    // clang-format on
    for (const auto& [length, cmd, written] : cases) {
        SCOPED_TRACE(std::to_string(cmd.data1) + ", " + std::to_string(cmd.data2));
        MemoryChannel& port = openPort(length);
        listener.rows.clear();
        const long sent = link.shotCount(), failed = link.failedCommands();
        send(cmd);
        EXPECT_EQ(port.takeWritten(), written);
        EXPECT_EQ(link.shotCount(), sent + (written.empty() ? 0 : 1));
        EXPECT_EQ(link.failedCommands(), failed + 1) << "no answer, or refused";
        if (written.empty()) {
            ASSERT_EQ(listener.rows.size(), 1u);
            EXPECT_EQ(cells(listener.rows[0]), (Strings{"", "", "Error", "video", "bad", "data"}));
        } else if (length == 5) {
            EXPECT_EQ(link.sentText(), hexText(written, '.')) << "no answer, no row: the text stays";
        } else {
            EXPECT_EQ(listener.rows.at(0).sent, hexText(written, '.'));
        }
    }
}

TEST_F(LinkTest, AnswersDecodeInBothForms) {
    // clang-format off
    const std::vector<Row> fiveRows = {
        {'P', 0, 5, 7, "write", "POR", "vcasetup 7"}, {'V', 0, 5, 7, "Swch", "video", "video 5 7"},
        {'a', 0, 5, 7, "read", "audio", "audio 5 7"}, {'y', 0, 5, 7, "read", "YC", "yc 5 7"},
        {'N', 0, 5, 7, "level", "VCA", "vca 5 7"}, {'l', 0, 5, 31, "read", "Gain", "gain 31"},
        {'L', 0, 5, 32, "level", "Gain"} /* beyond 0..31 */, {'G', 0, 5, 0, "set", "Bal", "mode balanced"},
        {'g', 0, 5, 1, "read", "Bal", "mode unbalanced"}, {'S', 0, 5, 7, "Mem", "eepr", "store"},
        {'T', 0, 5, 7, "Text", "eepr"},
        // The debug window's Y/C read letter, upper-case X, a read of the line state: no such answers.
        {'u', 0, 5, 7, "Error", "video"}, {'X', 0, 5, 7, "Error", "video"}, {'d', 0, 5, 7, "Error", "video"}};
    const std::vector<Row> fourRows = {
        {1, 5, 5, 7, "Swch", "RGB", "rgb 5 7"}, {2, 1, 5, 7, "Swch", "audio", "audio 5 7"},
        {3, 1, 0, 4, "Store", "M 4", "store"}, {3, 1, 1, 4, "Del", "M 4", "store"},
        {4, 1, 0, 4, "Call", "M 4"}, {19, 1, 0, 7, "Store", "audio"}, {19, 1, 5, 7, "Del", "audio"},
        {20, 1, 5, 7, "Call", "audio"}, {21, 1, 5, 7, "set", "VCA", "vca 7 5"},
        {22, 1, 0x25, 7, "set", "Gain", "gain 5 balanced"}, {22, 1, 0x05, 7, "set", "Gain", "gain 5"},
        {22, 1, 0x65, 7, "set", "Gain", "gain 5 unbalanced"}, {22, 1, 0x45, 7, "set", "Gain", "gain 5"},
        {34, 15, 5, 7, "Keyb", "LED"}, {34, 16, 5, 7, "Keyb", "LCD"}, {35, 2, 5, 7, "write", "Test"},
        {35, 1, 5, 7, "write", "video"}, {57, 3, 5, 7, "write", "POR", "vcasetup 7"},
        {33, 1, 5, 0, "Line", "ON"}, {33, 1, 0, 1, "Line", "OFF"},
        // A value above 127 lends its top bit to the fourth byte: bit 6 for the output, bit 5 for the input.
        {1, 1, 131, 1, "Swch", "video", "video 131 1"}, {1, 1, 3, 200, "Swch", "video", "video 3 200"},
        {1, 1, 195, 200, "Swch", "video", "video 195 200"},
        // Other machines; status answers (5, 6) only while a send waits; 61 only after its request; no codes.
        {1, 3, 5, 7, "Error", "video"}, {2, 5, 5, 7, "Error", "video"}, {5, 1, 5, 7, "Error", "video"},
        {61, 1, 5, 7, "Error", "video"}, {7, 1, 5, 7, "Error", "video"}, {0, 1, 5, 7, "Error", "video"}};
    // clang-format on
    for (const auto& [length, rows] : {std::pair{5, fiveRows}, {4, fourRows}}) {
        MemoryChannel& port = openPort(length);
        send({length == 5 ? 'V' : 1, 1, 3, 0}); // its object word stands when an answer has none
        for (const Row& r : rows)
            expectAnswer(port, length, r);
    }
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false}));
}

TEST_F(LinkTest, FourByteAnswersThatDependOnTheRequest) {
    MemoryChannel& port = openPort(4);
    // Status of output 9: the answer carries the input (12) where a switch carries the output. Identity
    // (values 0, 0): two decimal 2-digit numbers, output first; VCA setup (1, 0). Reads of code 25 are
    // answered by the set codes (21 VCA, 22 gain) and stay reads.
    // clang-format off
    const std::vector<std::pair<Cmd, Row>> cases = {
        {{5, 1, 9, 0}, {5, 1, 12, 0, "read", "video", "video 9 12"}},
        {{6, 1, 9, 0}, {6, 1, 12, 0, "read", "audio", "audio 9 12"}},
        {{5, 3, 9, 0}, {5, 3, 12, 0, "Error", "YUV"}}, {{6, 5, 9, 0}, {6, 5, 12, 0, "Error", "audio"}},
        {{61, 1, 0, 0}, {61, 1, 12, 34, "read", "SN"}},
        {{61, 1, 1, 0}, {61, 1, 32, 0, "read", "POR", "vcasetup 32"}},
        {{61, 1, 2, 0}, {61, 1, 12, 34, "Error", "ser"}},
        {{61, 1, 0, 0}, {61, 2, 12, 34, "Error", "ser"}},
        {{25, 1, 0, 3}, {21, 1, 10, 3, "read", "VCA", "vca 3 10"}},
        {{25, 1, 1, 2}, {22, 1, 0x27, 2, "read", "Gain", "gain 7 balanced"}}};
    // clang-format on
    for (const auto& [request, r] : cases) {
        SCOPED_TRACE(hexText(answerFrame(4, r)));
        link.forgetIdentity();
        port.deliver(answerFrame(4, r), 10 * kMs);
        send(request);
        EXPECT_EQ(port.takeWritten(),
                  four(request.letterOrCode, request.machine, request.data1, request.data2));
        expectDecoded(r);
        EXPECT_EQ(link.matrixIdentity(), std::string(r.object) == "SN" ? "1234" : kNoMatrixIdentity);
        drain(port);
    }
    // A switch made at the panel may wait unread when a read is sent: it is taken first, and the read
    // still goes out as a read (not as a set of level 0) and is matched by its set code.
    port.deliver(fourAnswer(2, 1, 6, 2));
    port.deliver(fourAnswer(21, 1, 10, 3), 10 * kMs);
    send4(25, 1, 0, 3);
    EXPECT_EQ(port.takeWritten(), four(25, 1, 0, 3));
    EXPECT_TRUE(link.replyMatched());
    EXPECT_EQ(takeEffects(), (Strings{"audio 6 2", "vca 3 10"}));
    EXPECT_EQ(cells(listener.rows.back()),
              (Strings{"19.83.80.81", "55.83.8A.81", "read", "VCA", " 3", " 10"}));
}

TEST_F(LinkTest, RefusalsAndBrokenFramesApplyNothing) {
    struct Case {
        int length;
        Frame bytes;
        const char* received;
        std::int64_t lastByteAt = 10 * kMs; // the others arrive at 10 ms
    };
    // NAK; no STX; no ETX in fifth place; short (the missing bytes read 0xFF); an ETX more than 30 ms after
    // the byte before it. 4-byte: NAK; a first byte with bit 7, or without bit 6 (a command); data bytes
    // without bit 7; short.
    // clang-format off
    const std::vector<Case> cases = {
        {5, {0x15}, ""}, {5, {0x56, 0x03, 0x01, 0x03}, ""}, {5, {0x02, 0x56, 0x03, 0x01, 0x04}, "02"},
        {5, {0x02, 0x56, 0x03}, "02"}, {5, {0x02, 0x56, 0x03, 0x01, 0x03}, "02", 80 * kMs}, {4, {0x15}, ""},
        {4, {0x81, 0x81, 0x83, 0x81}, ""}, {4, {0xC1, 0x81, 0x83, 0x81}, ""},
        {4, {0x01, 0x81, 0x83, 0x81}, ""}, {4, {0x41, 0x01, 0x83, 0x81}, "41.01.83.81"},
        {4, {0x41, 0x81, 0x03, 0x81}, "41.81.03.81"}, {4, {0x41, 0x81, 0x83, 0x01}, "41.81.83.01"},
        {4, {0x41, 0x81, 0x83}, "41.81.83.FF"}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(hexText(c.bytes));
        MemoryChannel& port = openPort(c.length);
        listener.rows.clear();
        port.deliver(Frame(c.bytes.begin(), c.bytes.end() - 1), 10 * kMs);
        port.deliver({c.bytes.back()}, c.lastByteAt);
        const Frame sent = c.length == 5 ? five('V', 3, 1) : four(1, 1, 3, 1);
        EXPECT_TRUE(send({c.length == 5 ? 'V' : 1, 1, 3, 1}).replyError);
        EXPECT_TRUE(rules.effects.empty());
        ASSERT_EQ(listener.rows.size(), 1u) << "one pass";
        EXPECT_EQ(cells(listener.rows[0]),
                  (Strings{hexText(sent, '.'), c.received, "Error", "video", "no", "reply"}));
        // What is left is read by the main loop as a frame from outside, and refused too.
        if (c.lastByteAt > 10 * kMs) {
            link.ProcessReply();
            EXPECT_EQ(cells(listener.rows.at(1)), (Strings{"External", "", "Error", "video", "no", "reply"}));
        }
        drain(port);
    }
}

TEST_F(LinkTest, WaitsAndLateAnswers) {
    // 5-byte: one read of one byte, 51 ms; an answer after it is a frame from outside for the next send,
    // which then reads its own.
    MemoryChannel& port = openPort(5);
    std::int64_t start = clock.nowMicros();
    port.deliver(five('v', 3, 7), 80 * kMs);
    EXPECT_TRUE(send5('v', 3, 0).replyError);
    EXPECT_EQ(clock.nowMicros() - start, 51 * kMs);
    EXPECT_TRUE(listener.rows.empty()) << "nothing read, no row";
    clock.advance(100 * kMs);
    port.deliver(five('v', 4, 9), 5 * kMs);
    EXPECT_FALSE(send5('v', 4, 0).replyError);
    EXPECT_EQ(takeEffects(), (Strings{"video 3 7", "video 4 9"}));
    EXPECT_EQ(cells(listener.rows.at(1)),
              (Strings{"02.76.04.00.03", "02.76.04.09.03", "read", "video", " 9", " 4"}));
    listener.rows.clear();

    // 4-byte: an answer 250 ms after the send is taken; none is one error row after just over 300 ms; one
    // at 400 ms is read later by the main loop as a frame from outside.
    link.setProtocolLength(4);
    start = clock.nowMicros();
    port.deliver(fourAnswer(1, 1, 3, 1), 250 * kMs);
    EXPECT_FALSE(send4(1, 1, 3, 1).replyError);
    EXPECT_EQ(clock.nowMicros() - start, 250 * kMs);
    EXPECT_EQ(listener.rows.at(0).responseMs, 250);
    start = clock.nowMicros();
    EXPECT_TRUE(send4(1, 1, 3, 1).replyError);
    const std::int64_t waited = clock.nowMicros() - start;
    EXPECT_GT(waited, 300 * kMs);
    EXPECT_LE(waited, 351 * kMs);
    EXPECT_EQ(link.firstByte(), 0xFE);
    EXPECT_EQ(cells(listener.rows.at(1)), (Strings{"01.81.83.81", "", "Error", "video", "no", "reply"}));
    EXPECT_EQ(listener.rows[1].responseMs * kMs, waited);
    takeEffects();
    start = clock.nowMicros();
    port.deliver(fourAnswer(1, 1, 4, 2), 400 * kMs);
    EXPECT_TRUE(send4(1, 1, 4, 2).replyError);
    clock.waitUntil(start + 400 * kMs);
    link.ProcessReply();
    EXPECT_EQ(takeEffects(), Strings{"video 4 2"});
    EXPECT_EQ(cells(listener.rows.back()), (Strings{"External", "41.82.84.81", "Swch", "video", " 2", " 4"}));
    EXPECT_EQ(listener.rows.back().responseMs, 400);
    // An empty pass of the main loop is one read time-out, not the 300 ms first-byte wait.
    start = clock.nowMicros();
    link.ProcessReply();
    EXPECT_EQ(clock.nowMicros() - start, 51 * kMs);
}

TEST_F(LinkTest, FourByteWaitTakesForeignAnswersOnTheWay) {
    MemoryChannel& port = openPort(4);
    // The frames arriving ahead of the answer to the switch sent; whether the send fails; the effects, the
    // history rows and the bytes left on the line.
    const Frame online = fourAnswer(33, 1, 1, 0), answer = fourAnswer(1, 1, 3, 1);
    const std::vector<std::tuple<std::vector<Frame>, bool, Strings, std::size_t, std::size_t>> cases = {
        // An answer to another instruction is applied and the wait goes on.
        {{fourAnswer(2, 1, 4, 2)}, false, {"audio 4 2", "video 3 1"}, 2, 0},
        // At most ten passes.
        {std::vector<Frame>(12, online), false, {}, 10, 12},
        // An error report ends the wait; so does a VCA answer, unless it is for another machine.
        {{online, fourAnswer(16, 1, 8, 0)}, true, {}, 2, 4},
        {{fourAnswer(21, 1, 10, 3)}, false, {"vca 3 10"}, 1, 4},
        {{fourAnswer(21, 2, 10, 3)}, false, {"video 3 1"}, 2, 0},
    };
    for (const auto& [before, error, effects, rows, left] : cases) {
        SCOPED_TRACE(hexText(before[0]) + " x" + std::to_string(before.size()));
        Frame bytes;
        for (const Frame& f : before)
            bytes.insert(bytes.end(), f.begin(), f.end());
        bytes.insert(bytes.end(), answer.begin(), answer.end());
        port.deliver(bytes, 10 * kMs);
        const long shots = link.shotCount();
        EXPECT_EQ(send4(1, 1, 3, 1).replyError, error);
        EXPECT_EQ(link.shotCount(), shots + 1);
        EXPECT_EQ(takeEffects(), effects);
        EXPECT_EQ(listener.rows.size(), rows);
        EXPECT_EQ(port.bytesWaiting(), left);
        if (rows == 2 && !error) {
            EXPECT_EQ(listener.rows[1].sent, "External");
        }
        if (error) { // the error report's code gives the row its words
            EXPECT_EQ((Strings{listener.rows[1].instr, listener.rows[1].in, listener.rows[1].out}),
                      (Strings{"Error", "mach", "busy"}));
        }
        drain(port);
    }
}

TEST_F(LinkTest, WithoutAPortEveryFrameIsAnsweredByItsEcho) {
    // The echo goes through the decoding of an answer: rows where it differs from a matrix's answer. A
    // status read's echo carries the output asked where the input would be.
    // clang-format off
    const std::vector<std::pair<int, Row>> cases = {
        {5, {'V', 0, 3, 1, "Swch", "video", "video 3 1"}}, {5, {'u', 0, 3, 0, "Error", "video"}},
        {5, {'x', 0, 120, 120, "read", "ser"}}, {5, {'D', 0, 1, 0, "Set", "ON"}},
        {5, {'E', 0, 0, 0, "Set", "OFF"}}, {4, {33, 1, 1, 0, "Line", "ON"}},
        {4, {33, 1, 0, 0, "Line", "OFF"}}, {4, {57, 1, 3, 9, "Error", "Store"}},
        {4, {1, 1, 131, 200, "Swch", "video", "video 131 200"}},
        {4, {5, 1, 3, 0, "read", "video", "video 3 3"}}, {4, {5, 3, 3, 0, "Error", "YUV"}},
        {4, {25, 1, 0, 3, "read", "VCA", "vca 3 0"}}, {4, {25, 1, 1, 2, "read", "Gain", "gain 1"}},
        {4, {61, 1, 1, 0, "read", "POR", "vcasetup 1"}}, {4, {61, 1, 0, 0, "read", "SN"}}};
    // clang-format on
    for (const auto& [length, r] : cases) {
        SCOPED_TRACE(std::to_string(r.letterOrCode) + "," + std::to_string(r.machine));
        simulate(length);
        listener.rows.clear();
        EXPECT_EQ(send({r.letterOrCode, r.machine, r.out, r.in}).replyError, std::string(r.instr) == "Error");
        expectDecoded(r);
        ASSERT_EQ(listener.rows.size(), 1u) << "the echo answers the instruction: one pass";
        EXPECT_TRUE(listener.rows[0].simulated);
        EXPECT_EQ(listener.rows[0].responseMs, 0);
        Frame echo =
            length == 5 ? five(r.letterOrCode, r.out, r.in) : four(r.letterOrCode, r.machine, r.out, r.in);
        EXPECT_EQ(listener.rows[0].sent, hexText(echo, '.'));
        if (length == 4) // bit 6 of the code; a read of code 25 is answered as the set it reads
            echo[0] = 0x40 | (r.letterOrCode != 25 ? echo[0] : r.out == 0 ? 21 : 22);
        EXPECT_EQ(listener.rows[0].received, hexText(echo, '.'));
    }
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false, true, false}));
    const long shots = link.shotCount();
    link.lblonline_Click(); // no port: nothing is sent
    EXPECT_EQ(link.shotCount(), shots);

    // The echo of an identity request is no matrix, whatever answered before. The 5-byte identity is the
    // hexadecimal of the output value without its top bit, then of the input value.
    for (const int length : {5, 4}) {
        MemoryChannel& port = openPort(5, 9);
        port.deliver(five('x', 0xAB, 0xCD));
        send5('x', 120, 120);
        ASSERT_EQ(link.matrixIdentity(), "2BCD");
        simulate(length);
        send(length == 5 ? Cmd{'x', 0, 120, 120} : Cmd{61, 1, 0, 0});
        EXPECT_EQ(link.matrixIdentity(), kNoMatrixIdentity) << length;
    }
}

TEST_F(LinkTest, OnLineLabelFollowsOnlyTheAnswer) {
    // The form, the frame the click sends, the answer (none when empty), the label after it.
    const std::vector<std::tuple<int, Frame, Frame, bool>> cases = {
        {5, five('D', 1, 0), five('D', 1, 0), true},
        {5, five('E', 0, 0), five('E', 0, 0), false},
        {5, five('D', 1, 0), {}, false},
        {4, four(33, 1, 1, 0), fourAnswer(33, 1, 1, 0), true},
        {4, four(33, 1, 0, 0), fourAnswer(33, 1, 0, 0), false},
    };
    for (const auto& [length, sent, answer, onLine] : cases) {
        SCOPED_TRACE(hexText(sent));
        MemoryChannel& port = openPort(length);
        port.deliver(answer, 10 * kMs);
        link.lblonline_Click();
        EXPECT_EQ(port.takeWritten(), sent);
        EXPECT_EQ(link.matrixOnLine(), onLine);
    }
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false, true, false}));
}

TEST_F(LinkTest, HistoryRowsOnlyWhileOpenTimedFromTheLastSend) {
    MemoryChannel& port = openPort(5);
    link.setHistoryOpen(false);
    port.deliver(five('V', 3, 1), 10 * kMs);
    EXPECT_FALSE(send5('V', 3, 1).replyError);
    EXPECT_TRUE(listener.rows.empty());
    EXPECT_EQ(link.sentText(), "02.56.03.01.03");

    link.setHistoryOpen(true);
    for (const std::int64_t delay : {20'400, 20'600}) {
        port.deliver(five('A', 4, 2), delay);
        send5('A', 4, 2);
        EXPECT_EQ(listener.rows.back().atMicros - link.sendTime(), delay);
    }
    ASSERT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(cells(listener.rows[0]),
              (Strings{"02.41.04.02.03", "02.41.04.02.03", "Swch", "audio", " 2", " 4"}));
    EXPECT_EQ(listener.rows[0].responseMs, 20) << "rounded to whole milliseconds";
    EXPECT_EQ(listener.rows[1].responseMs, 21);
    EXPECT_EQ(link.sentText(), "External");
    clock.advance(100 * kMs);
    port.deliver(five('R', 7, 8));
    link.ProcessReply();
    EXPECT_EQ(cells(listener.rows.at(2)), (Strings{"External", "02.52.07.08.03", "Swch", "RGB", " 8", " 7"}));
    EXPECT_EQ(listener.rows[2].responseMs, 121);
    EXPECT_EQ(link.shotCount(), 3) << "reading is no send";
}

} // namespace
} // namespace rl4::test
