#include "tester/tool_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace rl4::tester {

namespace {

constexpr int kExit = 105;

constexpr int kSeparator = 0;

struct MenuEntry {
    int id; // kSeparator for a separator
    TextId caption;
};

struct Menu {
    TextId caption;
    std::vector<MenuEntry> entries;
};

// Ids are grouped by hundreds per menu.
const std::array<Menu, 2> kMenus = {{
    {TextId::MenuFile,
     {{101, TextId::MenuNew},
      {102, TextId::MenuOpen},
      {103, TextId::MenuSave},
      {104, TextId::MenuSaveAs},
      {kSeparator, TextId::Count},
      {kExit, TextId::MenuExit}}},
    {TextId::MenuEdit, {{201, TextId::MenuCut}, {202, TextId::MenuCopy}, {203, TextId::MenuPaste}}},
}};

struct ToolButton {
    QStyle::StandardPixmap icon;
    TextId tip;
};

constexpr std::array<ToolButton, 3> kToolButtons = {{
    {QStyle::SP_FileIcon, TextId::TipNew},
    {QStyle::SP_DialogOpenButton, TextId::TipOpen},
    {QStyle::SP_DialogSaveButton, TextId::TipSave},
}};

constexpr std::array<TextId, 5> kPanelTips = {TextId::TipVideoSize, TextId::TipAudioSize, TextId::TipRgbSize,
                                              TextId::TipYcSize, TextId::TipSendingStatus};
constexpr std::array<const char*, 5> kFrameNames = {"lblstx", "lblmode", "lbloutput", "lblinput", "lbletx"};
constexpr std::array<const char*, 5> kReplyNames = {"lblrepl1", "lblrepl2", "lblrepl3", "lblrepl4",
                                                    "lblrepl5"};
// The widest byte text is "255", in the fixed font of the byte labels.
constexpr const char* kWidestByte = "255h";

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace

ToolWindow::ToolWindow(ProtocolTool& tool, QWidget* parent) : QMainWindow(parent), tool_(tool) {
    setObjectName("frm1");
    buildToolBar();
    buildMenus();
    buildStatusBar();
    setCentralWidget(buildControls());
    tool_.frm1_Load();
    setWindowTitle(ProtocolTool::kTitle);
    refresh();

    tmr1_.setObjectName("tmr1");
    tmr1_.setInterval(kTmr1Millis);
    connect(&tmr1_, &QTimer::timeout, this, [this] { act(&ProtocolTool::tmr1_Timer); });
    loop_.setSingleShot(true);
    connect(&loop_, &QTimer::timeout, this, [this] {
        runPass();
        if (!closed_)
            loop_.start();
    });
}

void ToolWindow::startLoop() {
    loop_.start(0);
}

void ToolWindow::runPass() {
    loop_.setInterval(tool_.pollPass());
    refresh();
}

template <typename... Params, typename... Args>
void ToolWindow::act(void (ProtocolTool::*operation)(Params...), Args... args) {
    if (closed_)
        return;
    (tool_.*operation)(args...);
    refresh();
}

QString ToolWindow::caption(TextId id) const {
    return QString::fromUtf8(tool_.text(id));
}

QLabel* ToolWindow::byteLabel(const char* name) {
    auto* label = named(new QLabel, name);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(kWidestByte) + 16);
    return label;
}

QWidget* ToolWindow::upDown(const char* name, void (ProtocolTool::*up)(), void (ProtocolTool::*down)()) {
    auto* box = named(new QWidget, name);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    struct Arrow {
        Qt::ArrowType type;
        const char* name;
        void (ProtocolTool::*click)();
    };
    for (const Arrow& arrow : {Arrow{Qt::UpArrow, "up", up}, Arrow{Qt::DownArrow, "down", down}}) {
        auto* button = named(new QToolButton(box), arrow.name);
        button->setArrowType(arrow.type);
        button->setAutoRepeat(true);
        button->setFixedSize(20, 12);
        connect(button, &QToolButton::clicked, this, [this, click = arrow.click] { act(click); });
        layout->addWidget(button);
    }
    return box;
}

QWidget* ToolWindow::buildControls() {
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    const auto comboBox = [this](const char* name, void (ProtocolTool::*click)(int)) {
        auto* box = named(new QComboBox, name);
        box->setMaxVisibleItems(16);
        connect(box, &QComboBox::activated, this, [this, click](int index) { act(click, index); });
        return box;
    };

    grid->addWidget(named(new QLabel(caption(TextId::FunctionLabel)), "lbl1"), 0, 0);
    cbfunct_ = comboBox("cbfunct", &ProtocolTool::cbfunct_Click);
    grid->addWidget(cbfunct_, 0, 1, 1, 2);
    cmdport_ = named(new QPushButton, "cmdport");
    connect(cmdport_, &QPushButton::clicked, this, [this] { act(&ProtocolTool::cmdport_Click); });
    grid->addWidget(cmdport_, 0, 6);

    lbl2_ = named(new QLabel(caption(TextId::LayerLabel)), "lbl2");
    grid->addWidget(lbl2_, 1, 0);
    cblayer_ = comboBox("cblayer", &ProtocolTool::cblayer_Click);
    grid->addWidget(cblayer_, 1, 1);

    lbl3_ = named(new QLabel, "lbl3");
    grid->addWidget(lbl3_, 2, 0);
    cbinput_ = comboBox("cbinput", &ProtocolTool::cbinput_Click);
    grid->addWidget(cbinput_, 2, 1);
    udin_ = upDown("udin", &ProtocolTool::udin_UpClick, &ProtocolTool::udin_DownClick);
    grid->addWidget(udin_, 2, 2, Qt::AlignLeft);
    lbl4_ = named(new QLabel, "lbl4");
    grid->addWidget(lbl4_, 2, 4, Qt::AlignRight);
    cboutput_ = comboBox("cboutput", &ProtocolTool::cboutput_Click);
    grid->addWidget(cboutput_, 2, 5);
    udout_ = upDown("udout", &ProtocolTool::udout_UpClick, &ProtocolTool::udout_DownClick);
    grid->addWidget(udout_, 2, 6, Qt::AlignLeft);

    const auto byteRow = [this](const std::array<const char*, 5>& names, std::array<QLabel*, 5>& labels) {
        auto* row = new QHBoxLayout;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            labels[i] = byteLabel(names[i]);
            row->addWidget(labels[i]);
        }
        row->addStretch();
        return row;
    };
    grid->addWidget(named(new QLabel(caption(TextId::MessageLabel)), "lbl10"), 3, 0);
    grid->addLayout(byteRow(kFrameNames, frameLabels_), 3, 1, 1, 3);
    cmdsend_ = named(new QPushButton(caption(TextId::Send)), "cmdsend");
    cmdsend_->setCheckable(true);
    connect(cmdsend_, &QPushButton::clicked, this, [this] { act(&ProtocolTool::cmdsend_Click); });
    grid->addWidget(cmdsend_, 3, 4);
    chksend_ = named(new QCheckBox(caption(TextId::SendOnChange)), "chksend");
    connect(chksend_, &QCheckBox::clicked, this,
            [this](bool ticked) { act(&ProtocolTool::chksend_Click, ticked); });
    grid->addWidget(chksend_, 3, 5, 1, 2);

    grid->addWidget(named(new QLabel(caption(TextId::AnswerLabel)), "lbl11"), 4, 0);
    grid->addLayout(byteRow(kReplyNames, replyLabels_), 4, 1, 1, 3);
    opthex_ = named(new QRadioButton(caption(TextId::Hexadecimal)), "opthex");
    optdec_ = named(new QRadioButton(caption(TextId::Decimal)), "optdec");
    connect(opthex_, &QRadioButton::clicked, this, [this] { act(&ProtocolTool::opthex_Click); });
    connect(optdec_, &QRadioButton::clicked, this, [this] { act(&ProtocolTool::optdec_Click); });
    grid->addWidget(opthex_, 4, 4);
    grid->addWidget(optdec_, 4, 5, 1, 2);

    chkaudiomonitor_ = named(new QCheckBox(caption(TextId::AudioMonitor)), "chkaudiomonitor");
    connect(chkaudiomonitor_, &QCheckBox::clicked, this,
            [this](bool ticked) { act(&ProtocolTool::chkaudiomonitor_Click, ticked); });
    grid->addWidget(chkaudiomonitor_, 5, 1);
    cmdcyclique_ = named(new QPushButton(caption(TextId::Cyclic)), "cmdcyclique");
    cmdcyclique_->setCheckable(true);
    connect(cmdcyclique_, &QPushButton::clicked, this, [this] { act(&ProtocolTool::cmdcyclique_Click); });
    grid->addWidget(cmdcyclique_, 5, 4);
    cmdsendsalve_ = named(new QPushButton(caption(TextId::SendContinuously)), "cmdsendsalve");
    cmdsendsalve_->setCheckable(true);
    // The caption blinks: the button keeps the width of its longest one.
    const QFontMetrics metrics = cmdsendsalve_->fontMetrics();
    cmdsendsalve_->setMinimumWidth(std::max(metrics.horizontalAdvance(caption(TextId::StopSendingSalve)),
                                            metrics.horizontalAdvance(caption(TextId::SendContinuously))) +
                                   24);
    connect(cmdsendsalve_, &QPushButton::clicked, this, [this] { act(&ProtocolTool::cmdsendsalve_Click); });
    grid->addWidget(cmdsendsalve_, 5, 5, 1, 2);

    // A function that hides a list leaves its place empty, so that the other controls stay where they are.
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{lbl2_, cblayer_, lbl3_, cbinput_, udin_, lbl4_, cboutput_, udout_}) {
        QSizePolicy policy = hidden->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        hidden->setSizePolicy(policy);
    }
    grid->setColumnMinimumWidth(3, 16);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(6, 1);
    return central;
}

void ToolWindow::buildMenus() {
    for (const Menu& menu : kMenus) {
        QMenu* m = menuBar()->addMenu(caption(menu.caption));
        for (const MenuEntry& entry : menu.entries) {
            if (entry.id == kSeparator) {
                m->addSeparator();
                continue;
            }
            QAction* action = m->addAction(caption(entry.caption));
            action->setObjectName(QString("menu%1").arg(entry.id));
            connect(action, &QAction::triggered, this, [this, id = entry.id] { frm1_MenuEvent(id); });
        }
    }
}

void ToolWindow::buildToolBar() {
    QToolBar* tb1 = named(addToolBar(caption(TextId::ToolBar)), "tb1");
    tb1->setMovable(false);
    tb1->addSeparator();
    for (const ToolButton& button : kToolButtons)
        tb1->addAction(style()->standardIcon(button.icon), caption(button.tip));
}

void ToolWindow::buildStatusBar() {
    QStatusBar* sb1 = named(statusBar(), "sb1");
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel;
        panels_[i]->setObjectName(i + 1 == panels_.size() ? QString("sending status")
                                                          : QString("panel%1").arg(i + 1));
        panels_[i]->setToolTip(caption(kPanelTips[i]));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sb1->addWidget(panels_[i], i + 1 == panels_.size() ? 2 : 1);
    }
}

void ToolWindow::frm1_MenuEvent(int id) {
    if (id == kExit)
        close();
}

void ToolWindow::fill(QComboBox* box, const ListControl& list, std::vector<std::string>& shown) {
    if (shown != list.entries) {
        box->clear();
        for (const std::string& entry : list.entries)
            box->addItem(text(entry));
        shown = list.entries;
    }
    box->setCurrentIndex(list.selected);
    box->setVisible(list.shown);
}

void ToolWindow::refresh() {
    fill(cbfunct_, tool_.cbfunct(), listsShown_[0]);
    fill(cblayer_, tool_.cblayer(), listsShown_[1]);
    fill(cbinput_, tool_.cbinput(), listsShown_[2]);
    fill(cboutput_, tool_.cboutput(), listsShown_[3]);
    lbl2_->setVisible(tool_.cblayer().shown);
    lbl3_->setText(text(tool_.lbl3()));
    lbl3_->setVisible(tool_.cbinput().shown);
    udin_->setVisible(tool_.cbinput().shown);
    lbl4_->setText(text(tool_.lbl4()));
    lbl4_->setVisible(tool_.cboutput().shown);
    udout_->setVisible(tool_.cboutput().shown);
    for (std::size_t i = 0; i < frameLabels_.size(); ++i) {
        frameLabels_[i]->setText(text(tool_.frameLabels()[i]));
        replyLabels_[i]->setText(text(tool_.replyLabels()[i]));
    }
    opthex_->setChecked(tool_.hexDisplay());
    optdec_->setChecked(!tool_.hexDisplay());
    cmdsend_->setChecked(tool_.cmdsendPressed());
    chksend_->setEnabled(tool_.chksendEnabled());
    chksend_->setChecked(tool_.chksendTicked());
    chkaudiomonitor_->setEnabled(tool_.chkaudiomonitorEnabled());
    chkaudiomonitor_->setChecked(tool_.audioMonitor());
    cmdcyclique_->setEnabled(tool_.cmdcycliqueEnabled());
    cmdcyclique_->setChecked(tool_.tmr1Running());
    if (tool_.tmr1Running() != tmr1_.isActive())
        tool_.tmr1Running() ? tmr1_.start() : tmr1_.stop();
    cmdsendsalve_->setChecked(tool_.continuousSending());
    cmdsendsalve_->setText(text(tool_.cmdsendsalveCaption()));
    cmdport_->setText(text(tool_.cmdportCaption()));
    const auto panels = tool_.statusPanels();
    for (std::size_t i = 0; i < panels_.size(); ++i)
        panels_[i]->setText(text(panels[i]));
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        loop_.stop();
        tmr1_.stop();
        tool_.frm1_Close();
    }
    event->accept();
}

} // namespace rl4::tester
