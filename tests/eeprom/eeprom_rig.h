#pragma once

#include "assign/assignments.h"
#include "eeprom/eeprom_upload.h"

#include <algorithm>
#include <string>

namespace rl4::test {

// Sources 1..sources and destinations 1..destinations, all applied: object n is on connector n of every
// layer (connectors past 127 stay unassigned, as the tables cannot hold them) and named "S n" or "D n";
// sources take touches 0, 1, ... and destinations the touches after them.
inline Assignments eepromAssignments(int sources, int destinations) {
    Assignments a;
    a.setFixedSpecialNames();
    a.editTable.sourceCount = sources;
    a.editTable.destinationCount = destinations;
    for (int s = 1; s <= sources; ++s) {
        Source& source = a.editTable.sources[static_cast<std::size_t>(s)];
        source.name = "S " + std::to_string(s);
        source.Vin = source.Ain = source.Rin = source.YWi = s <= 127 ? s : NotAssigned;
        source.Kin = s - 1;
    }
    for (int d = 1; d <= destinations; ++d) {
        Destination& destination = a.editTable.destinations[static_cast<std::size_t>(d)];
        destination.name = "D " + std::to_string(d);
        destination.Vou = destination.Aou = destination.Rou = destination.YWo = d <= 127 ? d : NotAssigned;
        destination.Kou = sources + d - 1;
    }
    a.ApplyEditTable();
    return a;
}

// Indexes of the address messages of an upload, by line (-1 for a line not addressed).
inline std::vector<int> addressMessages(const EepromUpload& upload) {
    std::vector<int> byLine(static_cast<std::size_t>(eepromImageLines(upload.layout)), -1);
    for (std::size_t i = 0; i < upload.messages.size(); ++i) {
        const EepromMessage& m = upload.messages[i];
        if (m.action != EepromAction::SetAddress)
            continue;
        const int address = m.code != 0 ? m.data2 * 256 + m.data1 : m.data1 * 256 + m.data2;
        byLine[static_cast<std::size_t>(address / kEepromLineBytes)] = static_cast<int>(i);
    }
    return byLine;
}

// The three texts of the progress window: "SECTION | OBJECT | PERCENTAGE".
inline std::string labels(const EepromUpload& upload, const EepromProgress& p) {
    return std::string(upload.text(p.lblproeeprom)) + " | " + std::string(upload.text(p.lblprotexte)) +
           " | " + std::string(upload.text(p.pourcenteeprom));
}

} // namespace rl4::test
