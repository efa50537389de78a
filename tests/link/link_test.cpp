#include "link/link.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/recorders.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace rl4::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

constexpr std::int64_t kMs = 1000; // microseconds

// The cells of a history row that carry text: sent, received, instruction, object, in, out.
Strings cells(const HistoryRow& row) {
    return {row.sent, row.received, row.instr, row.object, row.in, row.out};
}

class LinkTest : public ::testing::Test {
protected:
    LinkTest() {
        link.setRules(&rules);
        link.setListener(&listener);
        link.setHistoryOpen(true);
    }

    // Opens a port in the given frame form and returns the matrix's end of it.
    MemoryChannel& openPort(int length, int number = 1) {
        link.setProtocolLength(length);
        link.setPortNumber(number);
        link.OpenPort();
        return opener.channel(number);
    }

    void simulate(int length) {
        link.setProtocolLength(length);
        link.setPortNumber(0);
        link.OpenPort();
    }

    void send5(int letter, int data1, int data2) {
        link.SendCommand({.cmdLetter = letter, .cmdData1 = data1, .cmdData2 = data2});
    }

    void send4(int code, int machine, int data1, int data2) {
        link.SendCommand({.cmdCode = code, .cmdMachine = machine, .cmdData1 = data1, .cmdData2 = data2});
    }

    // A matrix on port 9 gives its identity, 1234, which the link keeps when the port is let go.
    void identifyMatrix1234() {
        MemoryChannel& port = openPort(5, 9);
        port.deliver({0x02, 'x', 0x92, 0x34, 0x03});
        send5('x', 120, 120);
        ASSERT_EQ(link.matrixIdentity(), "1234");
        link.closePort();
    }

    // Effects handed to the rules since the last call.
    Strings takeEffects() {
        Strings out;
        out.swap(rules.effects);
        return out;
    }

    FakeClock clock;
    MemoryPortOpener opener{clock};
    RecordingRules rules;
    RecordingLinkListener listener;
    Link link{clock, opener};
};

// Port ---------------------------------------------------------------------------------------------------

TEST_F(LinkTest, OpenPortUsesThePortNumberAndPortZeroOpensNothing) {
    EXPECT_TRUE(link.portError()) << "no open has succeeded yet";

    link.setPortNumber(5);
    link.OpenPort();
    EXPECT_EQ(opener.requests, std::vector<int>{5});
    EXPECT_EQ(opener.channel(5).openedTarget, "com5");
    EXPECT_FALSE(link.portError());
    EXPECT_TRUE(link.channelOpen());

    // A reopen of the same port closes the old channel first and leaves the new one open.
    link.OpenPort();
    EXPECT_TRUE(opener.channel(5).isOpen());
    EXPECT_FALSE(link.portError());

    link.closePort();
    EXPECT_FALSE(opener.channel(5).isOpen());
    EXPECT_FALSE(link.channelOpen());

    link.setPortNumber(0);
    link.OpenPort();
    EXPECT_EQ(opener.requests, (std::vector<int>{5, 5})) << "port 0 asks for no device";
    EXPECT_TRUE(link.portError());
    EXPECT_FALSE(link.channelOpen());

    // A port that cannot be opened sets the error again after an earlier success.
    link.setPortNumber(5);
    link.OpenPort();
    EXPECT_FALSE(link.portError());
    opener.refuse(3);
    link.setPortNumber(3);
    link.OpenPort();
    EXPECT_TRUE(link.portError());
    EXPECT_FALSE(link.channelOpen());
    EXPECT_FALSE(opener.channel(5).isOpen()) << "opening another port lets the old one go";
}

TEST_F(LinkTest, OnlyThePortWithAMatrixAnswers) {
    // A matrix on port 3 that answers every complete 5-byte frame with its echo, 5 ms after the last byte.
    opener.prepare = [](int number, MemoryChannel& channel) {
        if (number != 3)
            return;
        channel.onWrite = [&channel, frame = Bytes{}](std::uint8_t byte) mutable {
            frame.push_back(byte);
            if (frame.size() == 5) {
                channel.deliver(frame, 5 * kMs);
                frame.clear();
            }
        };
    };
    openPort(5, 2);
    send5('x', 120, 120);
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(link.matrixIdentity(), kNoMatrixIdentity);

    link.closePort();
    openPort(5, 3);
    send5('x', 0x92, 0x34);
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(link.matrixIdentity(), "1234");
    EXPECT_EQ(opener.requests, (std::vector<int>{2, 3}));
    EXPECT_EQ(opener.lastOpened, &opener.channel(3));
}

TEST_F(LinkTest, SendsToAPortThatFailedToOpenAreIgnored) {
    opener.refuse(2);
    MemoryChannel& port = openPort(5, 2);
    ASSERT_TRUE(link.portError());

    send5('V', 3, 1);
    EXPECT_TRUE(port.takeWritten().empty());
    EXPECT_TRUE(link.replyError());
    EXPECT_TRUE(listener.rows.empty()) << "nothing was read";
    EXPECT_EQ(link.shotCount(), 1);

    // The 4-byte first-byte wait gives up at once on a channel that is not open, and the missing answer is
    // an error row.
    link.setProtocolLength(4);
    const std::int64_t start = clock.nowMicros();
    send4(1, 1, 3, 1);
    EXPECT_EQ(clock.nowMicros(), start);
    EXPECT_TRUE(port.takeWritten().empty());
    EXPECT_EQ(link.firstByte(), 0xFE);
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]), (Strings{"01.81.83.81", "", "Error", "video", "no", "reply"}));
}

TEST_F(LinkTest, OnLineLabelClick) {
    // No port: nothing is sent and the label stays.
    simulate(5);
    link.lblonline_Click();
    EXPECT_TRUE(opener.requests.empty());
    EXPECT_EQ(link.shotCount(), 0);
    EXPECT_FALSE(link.matrixOnLine());
    EXPECT_TRUE(listener.onLineChanges.empty());
    EXPECT_TRUE(listener.rows.empty());

    MemoryChannel& port = openPort(5);
    // Off line: 'D' (0x44) with data 1, 0 asks to go on line; the label follows only the answer.
    port.deliver({0x02, 0x44, 0x01, 0x00, 0x03}, 10 * kMs);
    link.lblonline_Click();
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));
    EXPECT_TRUE(link.matrixOnLine());
    EXPECT_EQ(listener.onLineChanges, std::vector<bool>{true});

    // On line: 'E' (0x45) with data 0, 0.
    port.deliver({0x02, 0x45, 0x00, 0x00, 0x03}, 10 * kMs);
    link.lblonline_Click();
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0x45, 0x00, 0x00, 0x03}));
    EXPECT_FALSE(link.matrixOnLine());
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false}));

    // A matrix that does not answer leaves the label as it was.
    link.lblonline_Click();
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));
    EXPECT_FALSE(link.matrixOnLine());
    EXPECT_EQ(listener.onLineChanges.size(), 2u);

    // 4-byte form: code pair 33 (0x21), 1; data 1, 0 to go on line, 0, 0 to go off line. The answer 0x61
    // carries the first value in its third byte.
    link.setProtocolLength(4);
    port.deliver({0x61, 0x80, 0x81, 0x81}, 10 * kMs);
    link.lblonline_Click();
    EXPECT_EQ(port.takeWritten(), (Bytes{0x21, 0x80, 0x81, 0x81}));
    EXPECT_TRUE(link.matrixOnLine());
    port.deliver({0x61, 0x80, 0x80, 0x81}, 10 * kMs);
    link.lblonline_Click();
    EXPECT_EQ(port.takeWritten(), (Bytes{0x21, 0x80, 0x80, 0x81}));
    EXPECT_FALSE(link.matrixOnLine());
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false, true, false}));
}

// Frames sent ---------------------------------------------------------------------------------------------

TEST_F(LinkTest, FiveByteFrameAndItsHistoryText) {
    MemoryChannel& port = openPort(5);
    port.deliver({0x02, 0x56, 0x03, 0x01, 0x03}, 10 * kMs);
    send5('V', 3, 1);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0x56, 0x03, 0x01, 0x03}));
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]),
              (Strings{"02.56.03.01.03", "02.56.03.01.03", "Swch", "video", " 1", " 3"}));
    EXPECT_FALSE(listener.rows[0].simulated);

    // Letters and values go out raw, in upper-case hexadecimal in the text.
    send5('l', 200, 0);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0x6C, 0xC8, 0x00, 0x03}));
    EXPECT_EQ(link.sentText(), "02.6C.C8.00.03") << "no answer, no row: the text stays";
}

TEST_F(LinkTest, FourByteFrameLayout) {
    MemoryChannel& port = openPort(4);
    send4(1, 1, 3, 1);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x01, 0x81, 0x83, 0x81}));
    EXPECT_EQ(listener.rows.at(0).sent, "01.81.83.81");

    // Input 200 to output 3: byte 2 keeps the low 7 bits of 200 (0x48), byte 4 flags bit 7 of data 2.
    send4(1, 1, 3, 200);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x01, 0xC8, 0x83, 0xA1}));
    EXPECT_EQ(link.fourthByte(), 0x21);

    // Output 200 on RGB (machine 5): bit 6 of byte 4 flags bit 7 of data 1.
    send4(1, 5, 200, 1);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x01, 0x81, 0xC8, 0xC5}));
    EXPECT_EQ(link.fourthByte(), 0x45);

    // Both above 127, audio switch: 131 -> 0x83, 200 -> 0xC8, flags 0x60 on machine 1.
    send4(2, 1, 131, 200);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0xC8, 0x83, 0xE1}));
    EXPECT_EQ(link.fourthByte(), 0x61);
    EXPECT_EQ(listener.rows.back().sent, "02.C8.83.E1");
}

TEST_F(LinkTest, ValuesTheWireCannotCarryAreRefused) {
    MemoryChannel& port = openPort(5);
    // 257, the not-assigned mark, and anything above go out as 255.
    send5('V', 257, 300);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x02, 0x56, 0xFF, 0xFF, 0x03}));
    link.setProtocolLength(4);
    send4(1, 1, 257, 255);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x01, 0xFF, 0xFF, 0xE1}));

    // 256 would wrap round to output 0 (every output, to some matrices) in the 5-byte form and to 128 in the
    // 4-byte one; a negative value to 255. Nothing goes out, and the caller and the history can tell.
    struct Refused {
        int length, data1, data2;
    };
    for (const Refused& c : {Refused{5, 256, 7}, Refused{5, 3, -1}, Refused{4, 3, 256}, Refused{4, -2, 1}}) {
        SCOPED_TRACE(std::to_string(c.length) + "-byte " + std::to_string(c.data1) + ", " +
                     std::to_string(c.data2));
        link.setProtocolLength(c.length);
        listener.rows.clear();
        const long failed = link.failedCommands();
        const long sent = link.shotCount();
        const std::int64_t start = clock.nowMicros();
        if (c.length == 5)
            send5('V', c.data1, c.data2);
        else
            send4(1, 1, c.data1, c.data2);
        EXPECT_TRUE(port.takeWritten().empty());
        EXPECT_TRUE(link.replyError());
        EXPECT_EQ(link.failedCommands(), failed + 1);
        EXPECT_EQ(link.shotCount(), sent) << "nothing was sent";
        EXPECT_EQ(clock.nowMicros(), start) << "and no answer is waited for";
        ASSERT_EQ(listener.rows.size(), 1u);
        EXPECT_EQ(cells(listener.rows[0]), (Strings{"", "", "Error", "video", "bad", "data"}));
    }
}

// Answers, 5-byte form ----------------------------------------------------------------------------------

TEST_F(LinkTest, FiveByteAnswerTable) {
    struct Case {
        Bytes frame;
        bool recognised;
        const char* instr;
        const char* object;
        Strings effects;
    };
    // Output value 5, input value 7 unless the case needs others.
    const std::vector<Case> cases = {
        {{0x02, 'P', 5, 7, 3}, true, "write", "POR", {"vcasetup 7"}},
        {{0x02, 'p', 5, 7, 3}, true, "read", "POR", {"vcasetup 7"}},
        {{0x02, 'V', 5, 7, 3}, true, "Swch", "video", {"route video 5 7"}},
        {{0x02, 'v', 5, 7, 3}, true, "read", "video", {"route video 5 7"}},
        {{0x02, 'A', 5, 7, 3}, true, "Swch", "audio", {"route audio 5 7"}},
        {{0x02, 'a', 5, 7, 3}, true, "read", "audio", {"route audio 5 7"}},
        {{0x02, 'R', 5, 7, 3}, true, "Swch", "RGB", {"route rgb 5 7"}},
        {{0x02, 'r', 5, 7, 3}, true, "read", "RGB", {"route rgb 5 7"}},
        {{0x02, 'Y', 5, 7, 3}, true, "Swch", "YC", {"route yc 5 7"}},
        {{0x02, 'y', 5, 7, 3}, true, "read", "YC", {"route yc 5 7"}},
        {{0x02, 'N', 5, 7, 3}, true, "level", "VCA", {"vca 5 7"}},
        {{0x02, 'n', 5, 7, 3}, true, "read", "VCA", {"vca 5 7"}},
        {{0x02, 'L', 5, 7, 3}, true, "level", "Gain", {"gain 7"}},
        {{0x02, 'l', 5, 31, 3}, true, "read", "Gain", {"gain 31"}},
        {{0x02, 'L', 5, 32, 3}, true, "level", "Gain", {}}, // a level beyond 0..31 is not shown
        {{0x02, 'G', 5, 0, 3}, true, "set", "Bal", {"mode balanced"}},
        {{0x02, 'G', 5, 7, 3}, true, "set", "Bal", {"mode unbalanced"}},
        {{0x02, 'g', 5, 1, 3}, true, "read", "Bal", {"mode unbalanced"}},
        {{0x02, 'S', 5, 7, 3}, true, "Mem", "eepr", {"store"}},
        {{0x02, 'T', 5, 7, 3}, true, "Text", "eepr", {}},
        {{0x02, '[', 5, 7, 3}, true, "adres", "eepr", {}},
        {{0x02, '\\', 5, 7, 3}, true, "close", "eepr", {}},
        // Not in the table: the debug window's Y/C read letter, upper-case X, a read of the line state.
        {{0x02, 'u', 5, 7, 3}, false, "Error", "video", {}},
        {{0x02, 'X', 5, 7, 3}, false, "Error", "video", {}},
        {{0x02, 'd', 5, 7, 3}, false, "Error", "video", {}},
    };

    MemoryChannel& port = openPort(5);
    send5('V', 0, 0); // the instruction last sent: its object word stands when nothing replaces it
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("letter ") + static_cast<char>(c.frame[1]) + " in " +
                     std::to_string(c.frame[3]));
        listener.rows.clear();
        port.deliver(c.frame);
        link.ProcessReply();
        EXPECT_EQ(link.replyError(), !c.recognised);
        EXPECT_EQ(link.logInstr(), c.instr);
        EXPECT_EQ(link.logObject(), c.object);
        EXPECT_EQ(takeEffects(), c.effects);
        ASSERT_EQ(listener.rows.size(), 1u);
        const HistoryRow& row = listener.rows[0];
        EXPECT_EQ(row.recognised, c.recognised);
        EXPECT_EQ(row.in, c.recognised ? " " + std::to_string(c.frame[3]) : "no");
        EXPECT_EQ(row.out, c.recognised ? " 5" : "reply");
    }

    // Identity: hexadecimal of the output value without its top bit, then of the input value.
    port.deliver({0x02, 'x', 0xAB, 0xCD, 3});
    link.ProcessReply();
    EXPECT_EQ(link.matrixIdentity(), "2BCD");
    EXPECT_EQ(listener.rows.back().received, "02.78.AB.CD.03");
    EXPECT_TRUE(rules.effects.empty());
}

TEST_F(LinkTest, FiveByteRefusalsAndBrokenFrames) {
    MemoryChannel& port = openPort(5);

    // NAK: nothing applied, the row shows only the error words.
    port.deliver({0x15}, 10 * kMs);
    send5('V', 3, 1);
    EXPECT_TRUE(link.replyError());
    EXPECT_TRUE(rules.effects.empty());
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]), (Strings{"02.56.03.01.03", "", "Error", "video", "no", "reply"}));
    EXPECT_FALSE(listener.rows[0].recognised);

    // Any other first byte is refused the same way.
    port.deliver({0x56, 0x03, 0x01, 0x03}, 10 * kMs);
    send5('A', 3, 1);
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(cells(listener.rows.at(1)), (Strings{"02.41.03.01.03", "", "Error", "audio", "no", "reply"}));
    while (port.bytesWaiting() > 0)
        link.ProcessReply(); // drain what the refused frame left
    listener.rows.clear();

    // No ETX in fifth place: only the STX text.
    port.deliver({0x02, 0x56, 0x03, 0x01, 0x04}, 10 * kMs);
    send5('V', 3, 1);
    EXPECT_TRUE(link.replyError());
    EXPECT_TRUE(rules.effects.empty());
    EXPECT_EQ(cells(listener.rows.at(0)), (Strings{"02.56.03.01.03", "02", "Error", "video", "no", "reply"}));

    // Two of the four bytes after STX: the missing ones read as 0xFF, which is no ETX.
    port.deliver({0x02, 0x56, 0x03}, 10 * kMs);
    send5('V', 3, 1);
    EXPECT_TRUE(link.replyError());
    EXPECT_TRUE(rules.effects.empty());
    EXPECT_EQ(listener.rows.at(1).received, "02");

    // An ETX that comes more than 30 ms after the byte before it misses the frame, and is read on its own by
    // the next pass of the main loop (not STX: refused, but a row, as a byte was read).
    port.deliver({0x02, 0x56, 0x03, 0x01}, 10 * kMs);
    port.deliver({0x03}, 80 * kMs);
    send5('V', 3, 1);
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(listener.rows.at(2).received, "02");
    link.ProcessReply();
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(link.firstByte(), 0x03);
    EXPECT_EQ(cells(listener.rows.at(3)), (Strings{"External", "", "Error", "video", "no", "reply"}));
    EXPECT_TRUE(rules.effects.empty());
}

TEST_F(LinkTest, FiveByteNoAnswerLogsNothingAndWaitsOneReadTimeout) {
    MemoryChannel& port = openPort(5);
    const std::int64_t start = clock.nowMicros();
    send5('V', 3, 1);
    // One read of one byte: 50 + 1 ms total time-out.
    EXPECT_EQ(clock.nowMicros() - start, 51 * kMs);
    EXPECT_TRUE(link.replyError());
    EXPECT_TRUE(listener.rows.empty());
    EXPECT_EQ(port.takeWritten().size(), 5u);
}

TEST_F(LinkTest, ALateAnswerIsNotTakenForTheNextOne) {
    MemoryChannel& port = openPort(5);
    // The answer to a status read comes after the read time-out; the next instruction must not take it
    // for its own: it is applied as a frame from outside, then the real answer is read.
    port.deliver({0x02, 'v', 3, 7, 0x03}, 80 * kMs);
    send5('v', 3, 0);
    EXPECT_TRUE(link.replyError());
    clock.advance(100 * kMs);
    port.deliver({0x02, 'v', 4, 9, 0x03}, 5 * kMs);
    send5('v', 4, 0);
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(takeEffects(), (Strings{"route video 3 7", "route video 4 9"}));
    ASSERT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(cells(listener.rows[0]),
              (Strings{"02.76.03.00.03", "02.76.03.07.03", "read", "video", " 7", " 3"}));
    EXPECT_EQ(cells(listener.rows[1]),
              (Strings{"02.76.04.00.03", "02.76.04.09.03", "read", "video", " 9", " 4"}));
    EXPECT_EQ(port.bytesWaiting(), 0u);
}

// Answers, 4-byte form ----------------------------------------------------------------------------------

TEST_F(LinkTest, FourByteAnswerValuesAndTopBits) {
    MemoryChannel& port = openPort(4);
    struct Case {
        Bytes frame;
        const char* effect;
    };
    const std::vector<Case> cases = {
        {{0x41, 0x81, 0x83, 0x81}, "route video 3 1"},     // byte 2 the input, byte 3 the output
        {{0x41, 0x81, 0x83, 0xC1}, "route video 131 1"},   // bit 6: output 0x83 keeps bit 7
        {{0x41, 0xC8, 0x83, 0xA1}, "route video 3 200"},   // bit 5: input 0xC8 keeps bit 7
        {{0x41, 0xC8, 0xC3, 0xE1}, "route video 195 200"}, // both
        {{0x41, 0xC8, 0xC3, 0x81}, "route video 67 72"},   // neither: 0x43, 0x48
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        port.deliver(c.frame);
        link.ProcessReply();
        EXPECT_FALSE(link.replyError());
        EXPECT_EQ(takeEffects(), Strings{c.effect});
    }
}

TEST_F(LinkTest, FourByteAnswerTable) {
    struct Case {
        Bytes frame;
        bool recognised;
        const char* instr;
        const char* object;
        Strings effects;
    };
    // Byte 2 (input value) 7, byte 3 (output value) 5 unless the case needs others; byte 4 is the machine.
    const std::vector<Case> cases = {
        {{0x41, 0x87, 0x85, 0x81}, true, "Swch", "video", {"route video 5 7"}},
        {{0x41, 0x87, 0x85, 0x85}, true, "Swch", "RGB", {"route rgb 5 7"}},
        {{0x41, 0x87, 0x85, 0x82}, true, "Swch", "Y/C", {"route yc 5 7"}},
        {{0x41, 0x87, 0x85, 0x83}, false, "Error", "video", {}},
        {{0x42, 0x87, 0x85, 0x81}, true, "Swch", "audio", {"route audio 5 7"}},
        {{0x42, 0x87, 0x85, 0x85}, false, "Error", "video", {}},
        {{0x43, 0x84, 0x80, 0x81}, true, "Store", "M 4", {"store"}},
        {{0x43, 0x84, 0x81, 0x81}, true, "Del", "M 4", {"store"}},
        {{0x44, 0x84, 0x80, 0x81}, true, "Call", "M 4", {}},
        // Status answers are taken only while a send waits for them.
        {{0x45, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
        {{0x46, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
        {{0x53, 0x87, 0x80, 0x81}, true, "Store", "audio", {}},
        {{0x53, 0x87, 0x85, 0x81}, true, "Del", "audio", {}},
        {{0x54, 0x87, 0x85, 0x81}, true, "Call", "audio", {}},
        {{0x55, 0x87, 0x85, 0x81}, true, "set", "VCA", {"vca 7 5"}},
        {{0x55, 0x87, 0x85, 0x82}, false, "Error", "video", {}},
        {{0x56, 0x87, 0xA5, 0x81}, true, "set", "Gain", {"gain 5 balanced"}},   // 0x25: mode bits 01
        {{0x56, 0x87, 0xE5, 0x81}, true, "set", "Gain", {"gain 5 unbalanced"}}, // 0x65: mode bits 11
        {{0x56, 0x87, 0x85, 0x81}, true, "set", "Gain", {"gain 5"}},            // mode bits 00
        {{0x56, 0x87, 0xC5, 0x81}, true, "set", "Gain", {"gain 5"}},            // 0x45: mode bits 10
        {{0x56, 0x87, 0x85, 0x85}, false, "Error", "video", {}},
        {{0x60, 0x87, 0x85, 0x81}, true, "Trans", "eepr", {}},
        {{0x62, 0x87, 0x85, 0x8F}, true, "Keyb", "LED", {}},
        {{0x62, 0x87, 0x85, 0x90}, true, "Keyb", "LCD", {}},
        {{0x63, 0x87, 0x85, 0x82}, true, "write", "Test", {}},
        {{0x63, 0x87, 0x85, 0x81}, true, "write", "video", {}},
        {{0x63, 0x87, 0x85, 0x83}, true, "write", "video", {}},
        {{0x79, 0x87, 0x85, 0x82}, true, "Refr", "OSD", {}},
        {{0x79, 0x87, 0x85, 0x83}, true, "write", "POR", {"vcasetup 7"}},
        {{0x79, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
        // The last instruction (below) is no identity or VCA setup request.
        {{0x7D, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
        {{0x47, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
        {{0x40, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
        {{0x7F, 0x87, 0x85, 0x81}, false, "Error", "video", {}},
    };

    MemoryChannel& port = openPort(4);
    // The instruction last sent: video switch of output 3 (object word "video").
    send4(1, 1, 3, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE("first byte " + std::to_string(c.frame[0]) + " machine byte " +
                     std::to_string(c.frame[3]));
        listener.rows.clear();
        port.deliver(c.frame);
        link.ProcessReply();
        EXPECT_FALSE(link.awaitingReply());
        EXPECT_EQ(link.replyError(), !c.recognised);
        EXPECT_EQ(link.logInstr(), c.instr);
        EXPECT_EQ(link.logObject(), c.object);
        EXPECT_EQ(takeEffects(), c.effects);
        ASSERT_EQ(listener.rows.size(), 1u);
        const HistoryRow& row = listener.rows[0];
        EXPECT_EQ(row.recognised, c.recognised);
        EXPECT_EQ(row.in, c.recognised ? " " + std::to_string(c.frame[1] & 0x7F) : "no");
        EXPECT_EQ(row.out, c.recognised ? " " + std::to_string(c.frame[2] & 0x7F) : "reply");
    }

    // The line answer: off for a first value of 0, on for any other.
    port.deliver({0x61, 0x80, 0x85, 0x81});
    link.ProcessReply();
    EXPECT_EQ(link.logInstr(), "Line");
    EXPECT_EQ(link.logObject(), "ON");
    EXPECT_TRUE(link.matrixOnLine());
    port.deliver({0x61, 0x81, 0x80, 0x81});
    link.ProcessReply();
    EXPECT_EQ(link.logInstr(), "Line");
    EXPECT_EQ(link.logObject(), "OFF");
    EXPECT_FALSE(link.matrixOnLine());
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false}));
}

TEST_F(LinkTest, FourByteStatusAnswersTakeTheOutputFromTheRequest) {
    MemoryChannel& port = openPort(4);
    struct Case {
        int code, machine;
        Bytes request;
        Bytes answer;
        bool recognised;
        const char* object;
        const char* effect;
    };
    // Status of output 9; the answer carries input 12 in its third byte.
    const std::vector<Case> cases = {
        {5, 1, {0x05, 0x80, 0x89, 0x81}, {0x45, 0x80, 0x8C, 0x81}, true, "video", "route video 9 12"},
        {5, 5, {0x05, 0x80, 0x89, 0x85}, {0x45, 0x80, 0x8C, 0x85}, true, "RGB", "route rgb 9 12"},
        {5, 2, {0x05, 0x80, 0x89, 0x82}, {0x45, 0x80, 0x8C, 0x82}, true, "Y/C", "route yc 9 12"},
        {6, 1, {0x06, 0x80, 0x89, 0x81}, {0x46, 0x80, 0x8C, 0x81}, true, "audio", "route audio 9 12"},
        // The debug window's Y/C read (machine 3) is answered by nothing the program applies.
        {5, 3, {0x05, 0x80, 0x89, 0x83}, {0x45, 0x80, 0x8C, 0x83}, false, "YUV", nullptr},
        {6, 5, {0x06, 0x80, 0x89, 0x85}, {0x46, 0x80, 0x8C, 0x85}, false, "audio", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + "," + std::to_string(c.machine));
        listener.rows.clear();
        port.deliver(c.answer, 10 * kMs);
        send4(c.code, c.machine, 9, 0);
        EXPECT_EQ(port.takeWritten(), c.request);
        EXPECT_EQ(link.replyError(), !c.recognised);
        EXPECT_EQ(link.logInstr(), c.recognised ? "read" : "Error");
        EXPECT_EQ(link.logObject(), c.object);
        EXPECT_EQ(takeEffects(), c.effect ? Strings{c.effect} : Strings{});
        ASSERT_EQ(listener.rows.size(), 1u);
        EXPECT_EQ(listener.rows[0].out, c.recognised ? " 12" : "reply");
    }
}

TEST_F(LinkTest, FourByteIdentityAndVcaSetupRequests) {
    MemoryChannel& port = openPort(4);

    // Identity: code pair 61 (0x3D), 1, data 0, 0; answered by 0x7D with two decimal 2-digit numbers,
    // output value first.
    port.deliver({0x7D, 0xA2, 0x8C, 0x81}, 10 * kMs);
    send4(61, 1, 0, 0);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x3D, 0x80, 0x80, 0x81}));
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(link.matrixIdentity(), "1234");
    port.deliver({0x7D, 0x87, 0x85, 0x81}, 10 * kMs);
    send4(61, 1, 0, 0);
    EXPECT_EQ(link.matrixIdentity(), "0507");
    port.takeWritten();

    // VCA setup: data 1, 0; the setup is the output value.
    port.deliver({0x7D, 0x80, 0xA0, 0x81}, 10 * kMs);
    send4(61, 1, 1, 0);
    EXPECT_EQ(port.takeWritten(), (Bytes{0x3D, 0x80, 0x81, 0x81}));
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(takeEffects(), Strings{"vcasetup 32"});

    // Not recognised: a request whose second value is not 0, a first value other than 0 or 1, an answer
    // for another machine.
    link.forgetIdentity();
    port.deliver({0x7D, 0xA2, 0x8C, 0x81}, 10 * kMs);
    send4(61, 1, 0, 5);
    EXPECT_TRUE(link.replyError());
    port.deliver({0x7D, 0xA2, 0x8C, 0x81}, 10 * kMs);
    send4(61, 1, 2, 0);
    EXPECT_TRUE(link.replyError());
    port.deliver({0x7D, 0xA2, 0x8C, 0x82}, 10 * kMs);
    send4(61, 1, 0, 0);
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(link.logInstr(), "Error");
    EXPECT_EQ(link.logObject(), "ser");
    EXPECT_EQ(link.matrixIdentity(), kNoMatrixIdentity);
    EXPECT_TRUE(rules.effects.empty());
}

TEST_F(LinkTest, FourByteErrorReportWords) {
    struct Case {
        int code;
        const char* in;
        const char* out;
    };
    const std::vector<Case> cases = {
        {0, "bad", "instr"}, {1, "no", "card"}, {2, "bad", "adres"}, {3, "no", "card"},
        {4, "bad", "data"},  {5, "no", "card"}, {6, "bad", "adres"}, {7, "no", "card"},
        {8, "mach", "busy"}, {9, " - ", " - "}, {100, " - ", " - "},
    };
    MemoryChannel& port = openPort(4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        listener.rows.clear();
        port.deliver({0x50, 0x80, static_cast<std::uint8_t>(0x80 | c.code), 0x81}, 10 * kMs);
        send4(2, 1, 3, 1);
        EXPECT_TRUE(link.replyError());
        EXPECT_TRUE(link.replyMatched());
        ASSERT_EQ(listener.rows.size(), 1u);
        const HistoryRow& row = listener.rows[0];
        EXPECT_EQ((Strings{row.sent, row.instr, row.object, row.in, row.out}),
                  (Strings{"02.81.83.81", "Error", "audio", c.in, c.out}));
        EXPECT_EQ(row.received.substr(0, 6), "50.80.");
        EXPECT_FALSE(listener.rows[0].recognised);
        EXPECT_TRUE(rules.effects.empty());
    }
}

TEST_F(LinkTest, FourByteRefusalsAndBrokenFrames) {
    MemoryChannel& port = openPort(4);
    struct Case {
        Bytes frame;
        const char* received;
    };
    const std::vector<Case> cases = {
        {{0x15}, ""},                              // NAK
        {{0x81, 0x81, 0x83, 0x81}, ""},            // top bit set
        {{0xC1, 0x81, 0x83, 0x81}, ""},            // both top bits
        {{0x01, 0x81, 0x83, 0x81}, ""},            // bit 6 missing: a command, not an answer
        {{0x41, 0x01, 0x83, 0x81}, "41.01.83.81"}, // data bytes need bit 7
        {{0x41, 0x81, 0x03, 0x81}, "41.81.03.81"},
        {{0x41, 0x81, 0x83, 0x01}, "41.81.83.01"},
        {{0x41, 0x81, 0x83}, "41.81.83.FF"}, // short: the missing byte reads 0xFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.received);
        listener.rows.clear();
        port.deliver(c.frame, 10 * kMs);
        send4(1, 1, 3, 1);
        EXPECT_TRUE(link.replyError());
        EXPECT_TRUE(rules.effects.empty());
        ASSERT_EQ(listener.rows.size(), 1u) << "one pass: nothing asked to wait longer";
        EXPECT_EQ(cells(listener.rows[0]),
                  (Strings{"01.81.83.81", c.received, "Error", "video", "no", "reply"}));
        // Drain the rest of a refused frame.
        while (port.bytesWaiting() > 0)
            link.ProcessReply();
    }
}

TEST_F(LinkTest, FourByteFirstByteWait) {
    MemoryChannel& port = openPort(4);

    // An answer 250 ms after the send is still taken.
    std::int64_t start = clock.nowMicros();
    port.deliver({0x41, 0x81, 0x83, 0x81}, 250 * kMs);
    send4(1, 1, 3, 1);
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(takeEffects(), Strings{"route video 3 1"});
    EXPECT_EQ(clock.nowMicros() - start, 250 * kMs);
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(listener.rows[0].responseMs, 250);

    // None: one error row after a wait of just over 300 ms (the last one-byte read that starts within the
    // 300 ms lasts at most 51 ms), not ten waits.
    listener.rows.clear();
    start = clock.nowMicros();
    send4(1, 1, 3, 1);
    const std::int64_t waited = clock.nowMicros() - start;
    EXPECT_GT(waited, 300 * kMs);
    EXPECT_LE(waited, 351 * kMs);
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(link.firstByte(), 0xFE);
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]), (Strings{"01.81.83.81", "", "Error", "video", "no", "reply"}));
    EXPECT_FALSE(listener.rows[0].recognised);
    EXPECT_EQ(listener.rows[0].responseMs * kMs, waited);

    // An answer after the wait is read by the main loop as a frame from outside.
    listener.rows.clear();
    start = clock.nowMicros();
    port.deliver({0x41, 0x82, 0x84, 0x81}, 400 * kMs);
    send4(1, 1, 4, 2);
    EXPECT_TRUE(link.replyError());
    EXPECT_TRUE(rules.effects.empty());
    clock.waitUntil(start + 400 * kMs);
    link.ProcessReply();
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(takeEffects(), Strings{"route video 4 2"});
    ASSERT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(cells(listener.rows[1]), (Strings{"External", "41.82.84.81", "Swch", "video", " 2", " 4"}));
    EXPECT_EQ(listener.rows[1].responseMs, 400);
}

TEST_F(LinkTest, FourByteWaitLoop) {
    MemoryChannel& port = openPort(4);

    // An answer to another instruction is applied and the wait goes on to the answer of this one.
    port.deliver({0x42, 0x82, 0x84, 0x81, 0x41, 0x81, 0x83, 0x81}, 10 * kMs);
    send4(1, 1, 3, 1);
    EXPECT_FALSE(link.replyError());
    EXPECT_TRUE(link.replyMatched());
    EXPECT_EQ(takeEffects(), (Strings{"route audio 4 2", "route video 3 1"}));
    ASSERT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(cells(listener.rows[0]), (Strings{"01.81.83.81", "42.82.84.81", "Swch", "audio", " 2", " 4"}));
    EXPECT_EQ(cells(listener.rows[1]), (Strings{"External", "41.81.83.81", "Swch", "video", " 1", " 3"}));
    EXPECT_EQ(link.shotCount(), 1);

    // At most ten passes: two of twelve foreign answers stay unread.
    listener.rows.clear();
    for (int i = 0; i < 12; ++i)
        port.deliver({0x61, 0x80, 0x81, 0x81}, 10 * kMs);
    send4(1, 1, 3, 1);
    EXPECT_FALSE(link.replyMatched());
    EXPECT_EQ(listener.rows.size(), 10u);
    EXPECT_EQ(listener.onLineChanges.size(), 10u);
    EXPECT_EQ(port.bytesWaiting(), 8u);
    link.ProcessReply();
    link.ProcessReply();
    EXPECT_EQ(port.bytesWaiting(), 0u);

    // An error report ends the wait, after a foreign answer.
    listener.rows.clear();
    port.deliver({0x61, 0x80, 0x81, 0x81, 0x50, 0x80, 0x88, 0x81, 0x41, 0x81, 0x83, 0x81}, 10 * kMs);
    send4(1, 1, 3, 1);
    EXPECT_TRUE(link.replyError());
    EXPECT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(port.bytesWaiting(), 4u);
    EXPECT_TRUE(rules.effects.empty());
    link.ProcessReply();
    takeEffects();

    // So does a VCA answer, though it answers another instruction; one for another machine does not.
    listener.rows.clear();
    port.deliver({0x55, 0x83, 0x8A, 0x81, 0x41, 0x81, 0x83, 0x81}, 10 * kMs);
    send4(1, 1, 3, 1);
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(takeEffects(), Strings{"vca 3 10"});
    EXPECT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(port.bytesWaiting(), 4u);
    link.ProcessReply();
    takeEffects();

    listener.rows.clear();
    port.deliver({0x55, 0x83, 0x8A, 0x82, 0x41, 0x81, 0x83, 0x81}, 10 * kMs);
    send4(1, 1, 3, 1);
    EXPECT_EQ(takeEffects(), Strings{"route video 3 1"});
    EXPECT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(port.bytesWaiting(), 0u);
}

TEST_F(LinkTest, Code25ReadsGoOutAsReadsAndAreMatchedByTheSetCode) {
    struct Case {
        int data1, data2;
        Bytes sent, answer;
        Strings effects, row;
    };
    const std::vector<Case> cases = {
        // VCA read of audio output 3: code 25 (0x19), data 0, 3. The matrix answers as VCA set (0x55): the
        // output in byte 2, the level (10) in byte 3.
        {0,
         3,
         {0x19, 0x83, 0x80, 0x81},
         {0x55, 0x83, 0x8A, 0x81},
         {"vca 3 10"},
         {"19.83.80.81", "55.83.8A.81", "read", "VCA", " 3", " 10"}},
        // Gain read of audio input 2: data 1, 2; answered as gain set (0x56), level 7 balanced (0x27).
        {1,
         2,
         {0x19, 0x82, 0x81, 0x81},
         {0x56, 0x82, 0xA7, 0x81},
         {"gain 7 balanced"},
         {"19.82.81.81", "56.82.A7.81", "read", "Gain", " 2", " 39"}},
    };
    MemoryChannel& port = openPort(4);
    // A switch made at the matrix's panel may wait unread when the read is sent: it is taken first, and
    // the read still goes out as a read, not as a set of level 0.
    for (const bool panelSwitchWaiting : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.row[0] + (panelSwitchWaiting ? " after a panel switch" : ""));
            listener.rows.clear();
            if (panelSwitchWaiting)
                port.deliver({0x42, 0x82, 0x86, 0x81});
            Bytes answers = c.answer;
            answers.insert(answers.end(), {0x41, 0x81, 0x83, 0x81}); // not waited for: the read is answered
            port.deliver(answers, 10 * kMs);
            send4(25, 1, c.data1, c.data2);
            EXPECT_EQ(port.takeWritten(), c.sent);
            EXPECT_FALSE(link.replyError());
            EXPECT_TRUE(link.replyMatched());
            Strings effects = c.effects;
            if (panelSwitchWaiting)
                effects.insert(effects.begin(), "route audio 6 2");
            EXPECT_EQ(takeEffects(), effects);
            ASSERT_FALSE(listener.rows.empty());
            EXPECT_EQ(cells(listener.rows.back()), c.row);
            EXPECT_EQ(port.bytesWaiting(), 4u);
            link.ProcessReply();
            takeEffects();
        }
    }
}

// The object word of the instruction sent ----------------------------------------------------------------

TEST_F(LinkTest, ObjectWordOfTheInstructionSent) {
    // Sent with no answer, so the word of the instruction is what the pass leaves.
    openPort(5);
    // The last four letters are of no instruction with a word: they leave the word before.
    const std::vector<std::pair<int, const char*>> letters = {
        {'A', "audio"}, {'a', "audio"}, {'D', "Line"},  {'x', "ser"},    {'P', "POR"},   {'p', "POR"},
        {'V', "video"}, {'v', "video"}, {'R', "RGB"},   {'r', "RGB"},    {'Y', "YC"},    {'y', "YC"},
        {'N', "VCA"},   {'n', "VCA"},   {'L', "Gain"},  {'l', "Gain"},   {'G', "Bal"},   {'g', "Bal"},
        {'S', "Store"}, {'T', "text"},  {'[', "adres"}, {'\\', "close"}, {'E', "close"}, {'u', "close"},
        {'X', "close"}, {'d', "close"}};
    for (const auto& [letter, word] : letters) {
        send5(letter, 1, 0);
        EXPECT_EQ(link.logObject(), word) << "letter " << static_cast<char>(letter);
        EXPECT_EQ(link.logInstr(), "Error");
    }

    link.setProtocolLength(4);
    struct Code {
        int code, machine, data1;
        const char* word;
    };
    // The last five (other codes, and switch or status codes for other machines) leave the word before.
    const std::vector<Code> codes = {
        {1, 1, 3, "video"}, {1, 2, 3, "YC"},    {1, 3, 3, "YUV"},    {1, 5, 3, "RGB"},    {5, 1, 3, "video"},
        {5, 2, 3, "YC"},    {5, 3, 3, "YUV"},   {5, 5, 3, "RGB"},    {2, 1, 3, "audio"},  {6, 1, 3, "audio"},
        {3, 1, 0, "Pge"},   {4, 1, 0, "Pge"},   {19, 1, 0, "Pge"},   {21, 1, 0, "VCA"},   {22, 1, 0, "Gain"},
        {25, 1, 0, "VCA"},  {25, 1, 1, "Gain"}, {33, 1, 1, "Line"},  {57, 1, 3, "Store"}, {57, 2, 0, "Store"},
        {61, 1, 0, "ser"},  {67, 1, 0, "Stat"}, {68, 1, 0, "Stat"},  {83, 1, 0, "Stat"},  {84, 1, 0, "Stat"},
        {1, 4, 3, "Stat"},  {5, 0, 3, "Stat"},  {32, 16, 0, "Stat"}, {35, 2, 2, "Stat"},  {0, 0, 0, "Stat"}};
    for (const Code& c : codes) {
        send4(c.code, c.machine, c.data1, 0);
        EXPECT_EQ(link.logObject(), c.word) << "code " << c.code << " machine " << c.machine;
        EXPECT_EQ(link.logInstr(), "Error");
    }
}

// Without a port ------------------------------------------------------------------------------------------

TEST_F(LinkTest, NoPortFiveByteEchoForEveryInstruction) {
    struct Case {
        int letter, data1, data2;
        bool recognised;
        const char* instr;
        const char* object;
        Strings effects;
    };
    const std::vector<Case> cases = {
        // The echo goes through the same decoding as an answer; one row per kind of effect.
        {'V', 3, 1, true, "Swch", "video", {"route video 3 1"}},
        {'y', 3, 0, true, "read", "YC", {"route yc 3 0"}},
        {'u', 3, 0, false, "Error", "YC", {}}, // the debug window's Y/C read: no such answer
        {'N', 3, 10, true, "level", "VCA", {"vca 3 10"}},
        {'l', 2, 0, true, "read", "Gain", {"gain 0"}},
        {'G', 2, 1, true, "set", "Bal", {"mode unbalanced"}},
        {'P', 0, 9, true, "write", "POR", {"vcasetup 9"}},
        {'x', 120, 120, true, "read", "ser", {}},
        {'D', 1, 0, true, "Set", "ON", {}},
        {'E', 0, 0, true, "Set", "OFF", {}},
        {'S', 83, 83, true, "Mem", "eepr", {"store"}},
        {'\\', 0, 0, true, "close", "eepr", {}},
    };
    simulate(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("letter ") + static_cast<char>(c.letter));
        listener.rows.clear();
        send5(c.letter, c.data1, c.data2);
        EXPECT_EQ(link.replyError(), !c.recognised);
        EXPECT_EQ(link.logInstr(), c.instr);
        EXPECT_EQ(link.logObject(), c.object);
        EXPECT_EQ(takeEffects(), c.effects);
        ASSERT_EQ(listener.rows.size(), 1u);
        EXPECT_TRUE(listener.rows[0].simulated);
        EXPECT_EQ(listener.rows[0].received, listener.rows[0].sent) << "the echo of the frame sent";
    }
    EXPECT_TRUE(opener.requests.empty());
    EXPECT_EQ(link.shotCount(), static_cast<long>(cases.size()));
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false}));

    EXPECT_EQ(cells(listener.rows.at(0)),
              (Strings{"02.5C.00.00.03", "02.5C.00.00.03", "close", "eepr", " 0", " 0"}));

    // The echo of the identity request is no matrix, whatever the identity was before.
    identifyMatrix1234();
    simulate(5);
    send5('x', 120, 120);
    EXPECT_EQ(link.matrixIdentity(), kNoMatrixIdentity);
}

TEST_F(LinkTest, NoPortFourByteEchoForEveryInstruction) {
    struct Case {
        int code, machine, data1, data2;
        bool recognised;
        const char* instr;
        const char* object;
        Strings effects;
    };
    const std::vector<Case> cases = {
        {1, 1, 3, 1, true, "Swch", "video", {"route video 3 1"}},
        {1, 2, 3, 1, true, "Swch", "Y/C", {"route yc 3 1"}},
        {1, 1, 131, 200, true, "Swch", "video", {"route video 131 200"}}, // rebuilt from the flags
        // Status reads: the output is the one asked; the echo's third byte, the input, is that output too.
        {5, 1, 3, 0, true, "read", "video", {"route video 3 3"}},
        {5, 3, 3, 0, false, "Error", "YUV", {}},
        {21, 1, 10, 3, true, "set", "VCA", {"vca 3 10"}},
        {25, 1, 0, 3, true, "read", "VCA", {"vca 3 0"}},
        {25, 1, 1, 2, true, "read", "Gain", {"gain 1"}},
        {22, 1, 32, 2, true, "set", "Gain", {"gain 0 balanced"}},
        {22, 1, 96, 2, true, "set", "Gain", {"gain 0 unbalanced"}},
        {61, 1, 1, 0, true, "read", "POR", {"vcasetup 1"}},
        {57, 1, 3, 9, false, "Error", "Store", {}}, // answered for machine 3 only
        {61, 1, 0, 0, true, "read", "SN", {}},
        {33, 1, 1, 0, true, "Line", "ON", {}},
        {33, 1, 0, 0, true, "Line", "OFF", {}},
        {3, 1, 0, 4, true, "Store", "M 4", {"store"}},
        {3, 1, 1, 4, true, "Del", "M 4", {"store"}},
        {4, 1, 0, 4, true, "Call", "M 4", {}},
        {57, 2, 0, 0, true, "Refr", "OSD", {}},
        {35, 2, 2, 2, true, "write", "Test", {}},
        {32, 16, 0x20, 0x01, true, "Trans", "eepr", {}},
        {32, 17, 0x41, 10, true, "Trans", "eepr", {}},
        {32, 18, 0, 0, true, "Trans", "eepr", {}},
    };
    simulate(4);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + "," + std::to_string(c.machine) + " data " +
                     std::to_string(c.data1) + "," + std::to_string(c.data2));
        listener.rows.clear();
        send4(c.code, c.machine, c.data1, c.data2);
        EXPECT_EQ(link.replyError(), !c.recognised);
        EXPECT_EQ(link.logInstr(), c.instr);
        EXPECT_EQ(link.logObject(), c.object);
        EXPECT_EQ(takeEffects(), c.effects);
        EXPECT_EQ(listener.rows.size(), 1u) << "the echo answers the instruction: one pass";
    }
    EXPECT_TRUE(opener.requests.empty());
    EXPECT_EQ(listener.onLineChanges, (std::vector<bool>{true, false}));

    // The echo sets bit 6 of the code.
    listener.rows.clear();
    send4(1, 1, 3, 1);
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]), (Strings{"01.81.83.81", "41.81.83.81", "Swch", "video", " 1", " 3"}));
    EXPECT_TRUE(listener.rows[0].simulated);

    identifyMatrix1234();
    simulate(4);
    send4(61, 1, 0, 0);
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(link.matrixIdentity(), kNoMatrixIdentity) << "an echo is no matrix";
}

// History -----------------------------------------------------------------------------------------------

TEST_F(LinkTest, HistoryRows) {
    MemoryChannel& port = openPort(5);

    // Closed: no row, and the sent text stays.
    link.setHistoryOpen(false);
    port.deliver({0x02, 0x56, 0x03, 0x01, 0x03}, 10 * kMs);
    send5('V', 3, 1);
    EXPECT_FALSE(link.replyError());
    EXPECT_TRUE(listener.rows.empty());
    EXPECT_EQ(link.sentText(), "02.56.03.01.03");

    // Open: the response time is counted from the send, rounded to whole milliseconds.
    link.setHistoryOpen(true);
    port.deliver({0x02, 0x41, 0x04, 0x02, 0x03}, 20'400);
    send5('A', 4, 2);
    ASSERT_EQ(listener.rows.size(), 1u);
    EXPECT_EQ(cells(listener.rows[0]),
              (Strings{"02.41.04.02.03", "02.41.04.02.03", "Swch", "audio", " 2", " 4"}));
    EXPECT_EQ(listener.rows[0].responseMs, 20);
    EXPECT_EQ(listener.rows[0].atMicros - link.sendTime(), 20'400) << "the reception time";
    EXPECT_TRUE(listener.rows[0].recognised);
    EXPECT_EQ(link.sentText(), "External");

    port.deliver({0x02, 0x41, 0x04, 0x02, 0x03}, 20'600);
    send5('A', 4, 2);
    EXPECT_EQ(listener.rows.at(1).responseMs, 21);

    // A frame that follows a row without a new send comes from outside; its time still counts from the
    // last send (20.6 + 100 ms).
    clock.advance(100 * kMs);
    port.deliver({0x02, 0x52, 0x07, 0x08, 0x03});
    link.ProcessReply();
    ASSERT_EQ(listener.rows.size(), 3u);
    EXPECT_EQ(cells(listener.rows[2]), (Strings{"External", "02.52.07.08.03", "Swch", "RGB", " 8", " 7"}));
    EXPECT_EQ(listener.rows[2].responseMs, 121);

    // Nothing read, no row.
    link.ProcessReply();
    EXPECT_EQ(listener.rows.size(), 3u);
    link.setProtocolLength(4);
    link.ProcessReply();
    EXPECT_EQ(listener.rows.size(), 3u);

    // Without a port every command still makes a row, marked as simulated.
    simulate(5);
    send5('V', 3, 1);
    ASSERT_EQ(listener.rows.size(), 4u);
    EXPECT_TRUE(listener.rows[3].simulated);
    EXPECT_EQ(listener.rows[3].responseMs, 0);
}

TEST_F(LinkTest, ShotCount) {
    simulate(5);
    send5('V', 3, 1);
    send5('V', 3, 2);
    EXPECT_EQ(link.shotCount(), 2);
    link.lblonline_Click(); // no port: no send
    EXPECT_EQ(link.shotCount(), 2);

    MemoryChannel& port = openPort(4);
    send4(1, 1, 3, 1); // unanswered
    EXPECT_EQ(link.shotCount(), 3);
    port.deliver({0x42, 0x82, 0x84, 0x81, 0x41, 0x81, 0x83, 0x81}, 10 * kMs);
    send4(1, 1, 3, 1); // two passes, one send
    EXPECT_EQ(link.shotCount(), 4);
    link.ProcessReply(); // reading is no send
    EXPECT_EQ(link.shotCount(), 4);
    link.lblonline_Click();
    EXPECT_EQ(link.shotCount(), 5);
}

TEST_F(LinkTest, UnaskedFramesFromTheMainLoop) {
    // 4-byte: a switch made at the matrix's own panel is applied; an empty read is one time-out, not the
    // 300 ms first-byte wait.
    MemoryChannel& port = openPort(4);
    port.deliver({0x42, 0x82, 0x86, 0x81});
    link.ProcessReply();
    EXPECT_FALSE(link.replyError());
    EXPECT_EQ(takeEffects(), Strings{"route audio 6 2"});
    Strings row = cells(listener.rows.at(0));
    row.erase(row.begin()); // nothing was sent: no sent text
    EXPECT_EQ(row, (Strings{"42.82.86.81", "Swch", "audio", " 2", " 6"}));

    const std::int64_t start = clock.nowMicros();
    link.ProcessReply();
    EXPECT_EQ(clock.nowMicros() - start, 51 * kMs);
    EXPECT_EQ(listener.rows.size(), 1u);
    EXPECT_FALSE(link.awaitingReply());
}

} // namespace
} // namespace rl4::test
