#include "assign/change_dialog_model.h"

#include "assign/assignment_file.h"
#include "text/number_text.h"
#include "text/text_fields.h"

#include <algorithm>
#include <cctype>

namespace rl4 {

namespace {

constexpr int kMessageDestinationTitle = 56;
constexpr int kMessageDestinationName = 57;
constexpr int kMessageOutputFrame = 58;
constexpr int kMessageSourceTitle = 59;
constexpr int kMessageSourceName = 60;
constexpr int kMessageInputFrame = 61;
constexpr int kMessageInputConnector = 90;
constexpr int kMessageOutputConnector = 91;
constexpr int kMessageConnectorUsed = 92;
constexpr int kMessageSharedInput = 93;
constexpr int kMessageTouchUsed = 94;
constexpr int kMessageLabels = 95;
constexpr int kMessageSpecialTitle = 104;
constexpr int kMessageSpecialName = 105;

constexpr int kCharEnter = 13;
constexpr int kBitsPerMask = 7;
constexpr int kMaskTopBit = 64;

// Entries of a list say who holds the number, after a gap that keeps the numbers in a column.
const std::string kEntryGap(10, ' ');

struct Words {
    const char* english;
    const char* french;
};
constexpr Words kUsedBy{"used by ", "utilisé par "};
constexpr Words kUsedBySeveral{"used by several sources", "utilisé par plusieurs sources"};
constexpr Words kAsSource{" as source", " comme source"};
constexpr Words kAsDestination{" as destination", " comme destination"};
constexpr Words kAsSpecial{" as special function", " comme fonction spéciale"};
constexpr Words kHintSource{" (as Input)", " (en entrée)"};
constexpr Words kHintDestination{" (as Output)", " (en sortie)"};
constexpr Words kHintSpecial{" (as special function)", " (fonction spéciale)"};
constexpr Words kAvailableKey{"available key", "touche disponible"};
constexpr Words kAdmittanceColumn{"Input admittance", "Admittance des entrées"};
constexpr const char* kSharedInputNote = "NOTA: ";

const char* layerWord(Layer layer) {
    switch (layer) {
    case Layer::Video:
        return "video";
    case Layer::Audio:
        return "audio";
    case Layer::Rgb:
        return "RGB";
    case Layer::Yc:
        break;
    }
    return "Y/C";
}

std::string inLanguage(const Words& words, const MessageTable& messages) {
    return messages.language() == kLanguageFrench ? words.french : words.english;
}

struct HolderLook {
    const Words& entry;
    const Words& hint;
    RgbColour colour;
};

HolderLook holderLook(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Source:
        return {kAsSource, kHintSource, kTouchOfSource};
    case ObjectKind::Destination:
        return {kAsDestination, kHintDestination, kTouchOfDestination};
    case ObjectKind::Special:
        break;
    }
    return {kAsSpecial, kHintSpecial, kTouchOfSpecial};
}

// The numeric value of a box or list entry: its first three characters; only blanks mean none.
int boxValue(const std::string& text) {
    if (trimBlanks(text).empty())
        return NotAssigned;
    return numericValue(characterSlice(text, 0, 3));
}

std::string assignedField(int value) {
    return value == NotAssigned ? std::string() : field3(value);
}

// A name without its number: "Camera 12 " gives "Camera".
std::string nameStem(const std::string& name) {
    std::string stem(trimBlanks(name));
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back())))
        stem.pop_back();
    return std::string(trimBlanks(stem));
}

} // namespace

ChangeDialogModel::ChangeDialogModel(Assignments& assignments, MessageTable& messages, Prompt& prompt,
                                     int editorView, int row, std::function<void(bool accepted)> closed)
    : assignments_(assignments), table_(assignments.dialogTable), messages_(messages), prompt_(prompt),
      view_(editorView), row_(row), closed_(std::move(closed)) {
    if (!canEdit(assignments_.editTable, view_, row_)) {
        open_ = false;
        return;
    }
    messages_.MessageText(kMessageLabels);
    lblobjet = messages_.part(TextPart::A) + std::to_string(row_);
    lblfiche = messages_.part(TextPart::B);
    lblusedvary = messages_.part(TextPart::C);
    lblusedk = messages_.part(TextPart::C);
    lbltouche = messages_.part(TextPart::D);
    admittanceColumn = inLanguage(kAdmittanceColumn, messages_);

    table_ = assignments_.editTable;

    const ObjectKind kind = ownKind();
    if (kind == ObjectKind::Special) {
        caption = messages_.text(kMessageSpecialTitle);
        lblnomagn = messages_.text(kMessageSpecialName);
        cbnomagn.text = name(kind, row_);
    } else {
        const bool sources = kind == ObjectKind::Source;
        caption = messages_.text(sources ? kMessageSourceTitle : kMessageDestinationTitle);
        lblnomagn = messages_.text(sources ? kMessageSourceName : kMessageDestinationName);
        frchangeagn = messages_.text(sources ? kMessageInputFrame : kMessageOutputFrame);
        connectorsVisible = true;
        fillNameStems();
        cbnomagn.text = name(kind, row_);
        for (Layer layer : kLayers) {
            fillLayerList(layer);
            layerBox(layer).text = assignedField(connectorOf(kind, row_, layer));
        }
        admittanceVisible = !sources;
        if (admittanceVisible)
            fillAdmittance();
    }
    cbkeyagn.text = assignedField(touchOf(kind, row_));
    fillTouches();
}

bool ChangeDialogModel::canEdit(const AssignmentTable& table, int editorView, int row) {
    switch (editorView) {
    case kSourcesView:
        return row >= 1 && row <= usableCount(table.sourceCount);
    case kDestinationsView:
        return row >= 1 && row <= usableCount(table.destinationCount);
    case kSpecialsView:
        return row >= 1 && row <= kSpecialFunctions;
    default:
        return false;
    }
}

ObjectKind ChangeDialogModel::ownKind() const {
    if (view_ == kSourcesView)
        return ObjectKind::Source;
    return view_ == kDestinationsView ? ObjectKind::Destination : ObjectKind::Special;
}

ListBox& ChangeDialogModel::layerBox(Layer layer) {
    switch (layer) {
    case Layer::Video:
        return cbvideoagn;
    case Layer::Audio:
        return cbaudioagn;
    case Layer::Rgb:
        return cbrgbagn;
    case Layer::Yc:
        break;
    }
    return cbycagn;
}

int& ChangeDialogModel::connector(ObjectKind kind, int index, Layer layer) {
    const auto i = static_cast<std::size_t>(index);
    return kind == ObjectKind::Source ? table_.sources[i].input(layer) : table_.destinations[i].output(layer);
}

int ChangeDialogModel::connectorOf(ObjectKind kind, int index, Layer layer) const {
    const auto i = static_cast<std::size_t>(index);
    return kind == ObjectKind::Source ? table_.sources[i].input(layer) : table_.destinations[i].output(layer);
}

int ChangeDialogModel::touchOf(ObjectKind kind, int index) const {
    return const_cast<ChangeDialogModel*>(this)->touch(kind, index);
}

int& ChangeDialogModel::touch(ObjectKind kind, int index) {
    const auto i = static_cast<std::size_t>(index);
    switch (kind) {
    case ObjectKind::Source:
        return table_.sources[i].Kin;
    case ObjectKind::Destination:
        return table_.destinations[i].Kou;
    case ObjectKind::Special:
        break;
    }
    return table_.specials[i].Ksp;
}

std::string ChangeDialogModel::name(ObjectKind kind, int index) const {
    const auto i = static_cast<std::size_t>(index);
    switch (kind) {
    case ObjectKind::Source:
        return table_.sources[i].name;
    case ObjectKind::Destination:
        return table_.destinations[i].name;
    case ObjectKind::Special:
        break;
    }
    return specialFunctionName(index);
}

int ChangeDialogModel::count(ObjectKind kind) const {
    switch (kind) {
    case ObjectKind::Source:
        return usableCount(table_.sourceCount);
    case ObjectKind::Destination:
        return usableCount(table_.destinationCount);
    case ObjectKind::Special:
        break;
    }
    return kSpecialFunctions;
}

int ChangeDialogModel::firstTouchHolder(ObjectKind kind, int touchNumber) const {
    for (int i = 1; i <= count(kind); ++i) {
        if (touchOf(kind, i) == touchNumber)
            return i;
    }
    return 0;
}

std::optional<ChangeDialogModel::Holder>
ChangeDialogModel::touchHolder(int touchNumber, std::optional<ObjectKind> first) const {
    if (first) {
        const int found = firstTouchHolder(*first, touchNumber);
        if (found != 0 && found != row_)
            return Holder{*first, found};
    }
    for (ObjectKind kind : {ObjectKind::Source, ObjectKind::Destination, ObjectKind::Special}) {
        if (kind == first)
            continue;
        if (const int found = firstTouchHolder(kind, touchNumber); found != 0)
            return Holder{kind, found};
    }
    return std::nullopt;
}

std::string ChangeDialogModel::usedBy() const {
    return kEntryGap + inLanguage(kUsedBy, messages_);
}

void ChangeDialogModel::fillNameStems() {
    cbnomagn.entries.clear();
    auto add = [this](const std::string& objectName) {
        if (objectName.empty())
            return;
        std::string stem = nameStem(objectName);
        if (std::ranges::find(cbnomagn.entries, stem) == cbnomagn.entries.end())
            cbnomagn.entries.push_back(std::move(stem));
    };
    for (int s = 1; s <= count(ObjectKind::Source); ++s)
        add(name(ObjectKind::Source, s));
    for (int d = 1; d <= count(ObjectKind::Destination); ++d)
        add(name(ObjectKind::Destination, d));
}

// The lists say which other objects already use each connector, not the edited one. Sources may share an
// input, so their lists say when more than one holds it; destinations name the first holder only.
void ChangeDialogModel::fillLayerList(Layer layer) {
    const ObjectKind kind = ownKind();
    ListBox& box = layerBox(layer);
    box.entries.clear();
    for (int n = 0; n <= count(kind); ++n) {
        int holders = 0;
        int first = 0;
        for (int i = 1; i <= count(kind); ++i) {
            if (i != row_ && connectorOf(kind, i, layer) == n && holders++ == 0)
                first = i;
        }
        std::string entry = field3(n);
        if (kind == ObjectKind::Source && holders > 1)
            entry += kEntryGap + inLanguage(kUsedBySeveral, messages_);
        else if (holders > 0)
            entry += usedBy() + name(kind, first);
        box.entries.push_back(std::move(entry));
    }
}

void ChangeDialogModel::fillTouches() {
    cbkeyagn.entries.clear();
    for (int t = 1; t <= kKeyboardTouches; ++t) {
        std::string entry = field3(t);
        TouchKey& button = key[static_cast<std::size_t>(t - 1)];
        if (const std::optional<Holder> holder = touchHolder(t, std::nullopt)) {
            const HolderLook look = holderLook(holder->kind);
            const std::string holderName = name(holder->kind, holder->index);
            entry += usedBy() + holderName + inLanguage(look.entry, messages_);
            button = {look.colour, holderName + inLanguage(look.hint, messages_)};
        } else {
            button = {kTouchFree, inLanguage(kAvailableKey, messages_)};
        }
        cbkeyagn.entries.push_back(std::move(entry));
    }
}

void ChangeDialogModel::fillAdmittance() {
    const Destination& destination = table_.destinations[static_cast<std::size_t>(row_)];
    lvinputadmittance.clear();
    const int rows = std::min(count(ObjectKind::Source), kAdmittanceSources);
    for (int s = 1; s <= rows; ++s) {
        const int mask = destination.ad[static_cast<std::size_t>((s - 1) / kBitsPerMask)];
        const int bit = kBitsPerMask - 1 - (s - 1) % kBitsPerMask;
        lvinputadmittance.push_back({name(ObjectKind::Source, s), ((mask >> bit) & 1) != 0});
    }
}

void ChangeDialogModel::connectorChosen(Layer layer, int entry) {
    if (!open_ || ownKind() == ObjectKind::Special)
        return;
    const ListBox& box = layerBox(layer);
    if (entry < 0 || entry >= static_cast<int>(box.entries.size()))
        return;
    assignConnector(layer, boxValue(box.entries[static_cast<std::size_t>(entry)]));
}

bool ChangeDialogModel::askConnector(Layer layer, int connectorNumber, int holder) {
    const ObjectKind kind = ownKind();
    const bool sources = kind == ObjectKind::Source;
    messages_.MessageText(kMessageConnectorUsed);
    messages_.MessageText(sources ? kMessageInputConnector : kMessageOutputConnector);
    const std::string holderName = name(kind, holder);
    const std::string question = messages_.part(TextPart::A) + layerWord(layer) +
                                 messages_.part(TextPart::B) + holderName + messages_.part(TextPart::C) +
                                 holderName + messages_.part(TextPart::D);
    const std::string title = messages_.part(TextPart::E) + layerWord(layer) + messages_.part(TextPart::F) +
                              std::to_string(connectorNumber);

    if (!sources)
        return prompt_.messageBox(question, PromptButtons::OkCancel, title, PromptIcon::Question) ==
               kAnswerOk;

    const int answer = prompt_.messageBox(question, PromptButtons::YesNoCancel, title, PromptIcon::Question);
    if (answer == kAnswerNo) {
        messages_.MessageText(kMessageSharedInput);
        prompt_.messageBox(kSharedInputNote + name(kind, row_) + messages_.part(TextPart::A) + holderName +
                               messages_.part(TextPart::B),
                           PromptButtons::Ok, messages_.part(TextPart::C), PromptIcon::Exclamation);
    }
    return answer == kAnswerYes;
}

// Only the first holder is asked about: a connector that several sources share stays with the others.
void ChangeDialogModel::assignConnector(Layer layer, int connectorNumber) {
    const ObjectKind kind = ownKind();
    int holder = 0;
    for (int i = 1; i <= count(kind) && holder == 0; ++i) {
        if (connectorOf(kind, i, layer) == connectorNumber)
            holder = i;
    }
    if (holder != 0 && holder != row_ && askConnector(layer, connectorNumber, holder))
        connector(kind, holder, layer) = NotAssigned;
    connector(kind, row_, layer) = connectorNumber;
    fillLayerList(layer);
    layerBox(layer).text = field3(connectorNumber);
}

void ChangeDialogModel::key_Click(int touchNumber) {
    if (open_ && touchNumber >= 1 && touchNumber <= kKeyboardTouches)
        assignTouch(touchNumber);
}

void ChangeDialogModel::cbkeyagn_Click(int entry) {
    if (!open_ || entry < 0 || entry >= static_cast<int>(cbkeyagn.entries.size()))
        return;
    assignTouch(boxValue(cbkeyagn.entries[static_cast<std::size_t>(entry)]));
}

// A touch selects one object only, and only the first holder found is asked about. The edited object's own
// kind is searched first; the edited object holding the touch already is no conflict, but a holder of
// another kind still is.
void ChangeDialogModel::assignTouch(int touchNumber) {
    const ObjectKind own = ownKind();
    if (const std::optional<Holder> holder = touchHolder(touchNumber, own)) {
        messages_.MessageText(kMessageTouchUsed);
        const std::string holderName = name(holder->kind, holder->index);
        const std::string question = messages_.part(TextPart::A) + holderName + messages_.part(TextPart::B) +
                                     holderName + messages_.part(TextPart::C);
        const std::string title = messages_.part(TextPart::D) + std::to_string(touchNumber);
        if (prompt_.messageBox(question, PromptButtons::OkCancel, title, PromptIcon::Question) == kAnswerOk)
            touch(holder->kind, holder->index) = NotAssigned;
    }
    touch(own, row_) = touchNumber;
    fillTouches();
    cbkeyagn.text = field3(touchNumber);
}

void ChangeDialogModel::boxKeyPress(int charCode) {
    if (charCode == kCharEnter)
        validchangeagn_Click();
}

void ChangeDialogModel::cmdenadmit_Click() {
    for (AdmittanceRow& row : lvinputadmittance)
        row.checked = true;
}

void ChangeDialogModel::cmddisadmit_Click() {
    for (AdmittanceRow& row : lvinputadmittance)
        row.checked = false;
}

// Sources past the list's rows have no check box and stay admitted.
void ChangeDialogModel::validchangeagn_Click() {
    if (!open_)
        return;
    const ObjectKind kind = ownKind();
    // The operator can still correct the name: the dialog stays open.
    if (kind != ObjectKind::Special && nameEndsSection(cbnomagn.text)) {
        prompt_.messageBox(messages_.text(kMessageNameEndsSection), PromptButtons::Ok, caption,
                           PromptIcon::Exclamation);
        return;
    }
    if (kind != ObjectKind::Special) {
        if (kind == ObjectKind::Source)
            table_.sources[static_cast<std::size_t>(row_)].name = cbnomagn.text;
        else
            table_.destinations[static_cast<std::size_t>(row_)].name = cbnomagn.text;
        for (Layer layer : kLayers)
            connector(kind, row_, layer) = boxValue(layerBox(layer).text);
    }
    touch(kind, row_) = boxValue(cbkeyagn.text);

    if (kind == ObjectKind::Destination) {
        std::string bits;
        for (const AdmittanceRow& row : lvinputadmittance)
            bits += row.checked ? '1' : '0';
        bits.resize(kAdmittanceSources, '1');
        auto& masks = table_.destinations[static_cast<std::size_t>(row_)].ad;
        for (std::size_t field = 0; field < masks.size(); ++field) {
            int value = 0;
            for (int weight = kMaskTopBit, k = 0; k < kBitsPerMask; ++k, weight /= 2)
                value += bits[field * kBitsPerMask + static_cast<std::size_t>(k)] == '1' ? weight : 0;
            masks[field] = value;
        }
    }
    close(true);
}

void ChangeDialogModel::cancelchangeagn_Click() {
    if (open_)
        close(false);
}

// The dialog table has no selection marks: those of the edit table stay as they are.
void ChangeDialogModel::close(bool accepted) {
    open_ = false;
    if (accepted) {
        AssignmentTable& edit = assignments_.editTable;
        edit.sources = table_.sources;
        for (std::size_t d = 0; d < edit.destinations.size(); ++d) {
            const int selectionMark = edit.destinations[d].Shw;
            edit.destinations[d] = table_.destinations[d];
            edit.destinations[d].Shw = selectionMark;
        }
        edit.specials = table_.specials;
    }
    if (closed_)
        closed_(accepted);
}

} // namespace rl4
