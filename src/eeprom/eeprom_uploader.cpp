#include "eeprom/eeprom_uploader.h"

namespace rl4 {

namespace {

constexpr int kMessageAskUpload = 47;
constexpr int kMessageAskStart = 48;
constexpr int kMessageNoEeprom = 73;
constexpr int kMessageLoadComplete = 79;
constexpr int kMessageUploadSuccessful = 82;
constexpr int kMessageEepromError = 83;
constexpr int kMessageLoadError = 84;
constexpr int kMessageEepromFailure = 85;
constexpr int kMessageClosingUpload = 86;
constexpr int kMessageUploadError = 87;

constexpr EepromWords kTitle{"Load ", "Chargement de "};
constexpr EepromWords kTitleEnd{" destinations to matrix EEPROM",
                                " destinations dans l'EEPROM de la matrice"};
constexpr EepromWords kWriteProtected{"write protected", "protégée en écriture"};
constexpr EepromWords kCloseCode{"for EEPROM close code", "pour le code de fermeture de l'EEPROM"};
constexpr EepromWords kQuitButton{"Quit", "Quitter"};

} // namespace

EepromUploader::EepromUploader(const Assignments& assignments, Link& link, MessageTable& messages,
                               Prompt& prompt, HistoryModel& history, EepromListener& listener)
    : assignments_(assignments), link_(link), messages_(messages), prompt_(prompt), history_(history),
      listener_(listener) {}

UploadOutcome EepromUploader::UploadEeprom() {
    if (!ask(kMessageAskUpload))
        return UploadOutcome::Refused;
    frmloadeeprom_Load();
    if (!ask(kMessageAskStart))
        return UploadOutcome::Refused;
    const EepromUpload upload = buildEepromUpload(assignments_, link_.protocolLength(), messages_);
    uploadOk_ = true;
    run(upload);
    endReport();
    return uploadOk_ ? UploadOutcome::Succeeded : UploadOutcome::Failed;
}

bool EepromUploader::ask(int message) {
    const int language = messages_.language();
    const std::string title = std::string(kTitle.in(language)) +
                              std::to_string(assignments_.activeTable.destinationCount) +
                              std::string(kTitleEnd.in(language));
    return prompt_.messageBox(messages_.text(message), PromptButtons::YesNo, title, PromptIcon::Question) ==
           kAnswerYes;
}

// A window left open from the last run keeps what it shows until this run writes over it.
void EepromUploader::frmloadeeprom_Load() {
    if (!window_.open) {
        const EepromLayout layout =
            eepromLayout(link_.protocolLength(), assignments_.activeTable.destinationCount);
        const int lines = eepromImageLines(layout);
        window_ = EepromWindowState{};
        window_.open = true;
        window_.proeepromMax = layout == EepromLayout::FiveByte ? lines : lines - 1;
        dump_ = EepromDump{};
    }
    listener_.eepromWindowShown();
}

void EepromUploader::run(const EepromUpload& upload) {
    const bool fourByte = upload.layout != EepromLayout::FiveByte;
    if (fourByte)
        dump_ = EepromDump{};
    window_.proeepromMax = upload.proeepromMax;
    sent_ = 0;
    failed_ = 0;
    listener_.eepromUploadRunning(true);
    for (const EepromMessage& message : upload.messages) {
        show(upload, message.progress);
        if (message.warning != 0)
            prompt_.messageBox(std::string(upload.text(message.warning)), PromptButtons::Ok, "",
                               PromptIcon::Exclamation);
        if (fourByte)
            dump_.record(message.code, message.machine, message.data1, message.data2);
        if (send(message))
            continue;
        uploadOk_ = false;
        // The rest would be refused one message after another.
        if (link_.lineLost())
            break;
        // Without an EEPROM there is nothing to write into; every other failure leaves the rest to write.
        if (message.action == EepromAction::PresenceTest) {
            prompt_.messageBox(messages_.text(kMessageNoEeprom), PromptButtons::Ok, "",
                               PromptIcon::Exclamation);
            break;
        }
    }
    listener_.eepromUploadRunning(false);
}

void EepromUploader::show(const EepromUpload& upload, const EepromProgress& progress) {
    window_.proeeprom = progress.proeeprom;
    window_.protexte = progress.protexte;
    window_.protexteMin = progress.protexteMin;
    window_.protexteMax = progress.protexteMax;
    window_.pourcenteeprom.assign(upload.text(progress.pourcenteeprom));
    window_.lblprotexte.assign(upload.text(progress.lblprotexte));
    window_.lblproeeprom.assign(upload.text(progress.lblproeeprom));
    listener_.eepromWindowChanged();
}

bool EepromUploader::send(const EepromMessage& message) {
    ++sent_;
    const SendResult result =
        link_.SendCommand({message.letter, message.code, message.machine, message.data1, message.data2});
    if (result.replyError)
        ++failed_;
    return !result.replyError;
}

void EepromUploader::endReport() {
    // The rows of thousands of EEPROM messages would bury what came before and after them.
    if (history_.isOpen())
        history_.cmdclrhisto_Click();
    if (uploadOk_) {
        window_.protexte = window_.protexteMax;
        window_.pourcenteeprom = "100" + messages_.text(kMessagePercentWritten);
        window_.lblloadeeprom = messages_.text(kMessageLoadComplete);
        window_.lblprotexte = kWriteProtected.in(messages_.language());
        window_.lblproeeprom = kCloseCode.in(messages_.language());
        listener_.eepromWindowChanged();
        prompt_.messageBox(messages_.text(kMessageUploadSuccessful), PromptButtons::Ok, "",
                           PromptIcon::Information);
        return;
    }
    window_.pourcenteeprom = messages_.text(kMessageEepromError);
    window_.lblloadeeprom = messages_.text(kMessageLoadError);
    window_.lblproeeprom = messages_.text(kMessageEepromFailure);
    window_.lblprotexte = messages_.text(kMessageClosingUpload);
    listener_.eepromWindowChanged();
    prompt_.choiceBox(messages_.text(kMessageUploadError) + "|" +
                          std::string(kQuitButton.in(messages_.language())),
                      "", 1, PromptIcon::Critical);
}

} // namespace rl4
