#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// Which device or server each port number reaches. The program names ports by number ("com" + number);
// the file routelane4.ports (protocol.ports for the protocol test tool) in the program folder maps numbers to
// targets, one "N=TARGET" a line:
//
//   # the matrix in rack 2
//   1=/dev/ttyUSB0
//   2=socket://10.0.0.7:4001   # serial device server
//
// Numbers without a line reach the platform's own port of that number.
class PortMap {
public:
    static constexpr const char* kFileName = "routelane4.ports";
    static constexpr int kFirstMapped = 1;
    static constexpr int kLastMapped = 16;
    // Port numbers the program can ask for.
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 255;

    // Reads `fileName` in `folder`. A missing file gives an empty map; lines that cannot be used are
    // skipped and described in problems().
    static PortMap load(const std::string& folder, const std::string& fileName = kFileName);
    // The same from lines already read; `fileName` only names them in the problems.
    static PortMap parse(const std::vector<std::string>& lines, const std::string& fileName = kFileName);

    // The target of port n: its mapped one, else the platform's device; empty outside kFirstPort..kLastPort.
    std::string target(int n) const;
    // The target of a device name "com" + port number, in either case ("com5", "COM5"); nothing when the
    // name is not of that form.
    std::optional<std::string> targetOfDevice(const std::string& name) const;
    // Maps port n to a target, over any line of the file. False (and nothing changed) when n is outside
    // kFirstPort..kLastPort or the target is empty.
    bool set(int n, std::string target);

    const std::vector<std::string>& problems() const { return problems_; }

private:
    void parseLine(const std::string& line, int lineNumber, const std::string& fileName);

    std::map<int, std::string> targets_;
    std::map<int, int> lineOfPort_;
    std::vector<std::string> problems_;
};

} // namespace rl4
