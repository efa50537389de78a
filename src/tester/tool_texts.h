#pragma once

#include "platform/other_process.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace rl4::tester {

enum class Language { English, French };

// Every text the tool shows, in the order of the caption table.
enum class TextId {
    // Window controls.
    FunctionLabel,
    LayerLabel,
    MessageLabel,
    AnswerLabel,
    Send,
    SendOnChange,
    Hexadecimal,
    Decimal,
    AudioMonitor,
    Cyclic,
    SendContinuously,
    StopSendingSalve,
    PortButton,
    // Menus, tool bar and status bar.
    MenuFile,
    MenuNew,
    MenuOpen,
    MenuSave,
    MenuSaveAs,
    MenuExit,
    MenuEdit,
    MenuCut,
    MenuCopy,
    MenuPaste,
    ToolBar,
    TipNew,
    TipOpen,
    TipSave,
    PanelVideo,
    PanelAudio,
    PanelRgb,
    PanelYc,
    TipVideoSize,
    TipAudioSize,
    TipRgbSize,
    TipYcSize,
    TipSendingStatus,
    SentAt,
    // Functions, list captions, layers and list entries.
    SwitchWrite,
    SwitchRead,
    GainWrite,
    GainRead,
    BalanceWrite,
    BalanceRead,
    VcaWrite,
    VcaRead,
    SetupWrite,
    SetupRead,
    Input,
    Output,
    Level,
    Impedance,
    PowerOn,
    Slope,
    Video,
    Audio,
    Rgb,
    Yc,
    Unused,
    Decibels,
    Balanced,
    Unbalanced,
    VcaMin,
    VcaMax,
    VcaRecall,
    // What a message does, in the sending status.
    Switching,
    ReadingSwitch,
    AdjustingGain,
    ReadingGain,
    SelectingBalance,
    ReadingBalance,
    AdjustingVca,
    ReadingVca,
    SettingSetup,
    ReadingSetupFirst,
    ReadingSetup,
    // Questions and messages.
    PortChoice,
    PortNotAvailable,
    CannotCreate,
    CannotWrite,
    PortInUse,
    FolderInUse,
    HolderProcess,
    HolderUnknown,
    FileCut,
    // The command line.
    Usage,
    TryHelp,
    UnknownOption,
    DataNeedsFolder,
    LangNeedsLanguage,
    UnreadableOptions,
    QtTextsMissing,
    Count
};

constexpr int kTextCount = static_cast<int>(TextId::Count);

// A row of the caption table: one text in both languages. "%1", "%2" stand for the values put in.
struct CaptionRow {
    TextId id;
    const char* english;
    const char* french;
};

// The table itself, for the check that no text lacks a language.
const CaptionRow* captionTable();

// A text in a language; English when the table has no French for it, empty when it has no row.
const char* caption(TextId id, Language language);
// The same with "%1", "%2", ... replaced by the values, in order.
std::string caption(TextId id, Language language, std::initializer_list<std::string_view> values);

// "process 1234 (protocol)", "process 1234" or "another program", in a language.
std::string holderCaption(const OtherProcess& holder, Language language);

// The locale variables that name the language of messages, strongest first.
struct LocaleVariables {
    const char* lcAll = nullptr;
    const char* lcMessages = nullptr;
    const char* lang = nullptr;

    static LocaleVariables fromEnvironment();
};

// The language of a desktop program: French when the locale in force for messages (the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty) starts with "fr", else English.
Language localeLanguage(const LocaleVariables& locale);

} // namespace rl4::tester
