#include "editor_window_rig.h"

#include "gui/gui_editor_factory.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {

namespace {

std::unique_ptr<QWidget> standIn(const char* name) {
    auto window = std::make_unique<QWidget>();
    window->setObjectName(name);
    return window;
}

} // namespace

EditorWindowRig::EditorWindowRig(int language) {
    engine.messages().setLanguage(language);
    engine.assignments().activeFileName = folder.path("routelane4.agn");
    engine.assignments().setFixedSpecialNames();
    hub.join(&mainWindow);
    hub.join(&tools);
    tools.add(kSwitcherControl, [] { return standIn("frmcommutation"); });
    tools.add(kHistory, [] { return standIn("frmhisto"); });
    addEditorWindow(tools, engine, mainWindow);

    engine.link().setProtocolLength(5);
    engine.link().setPortNumber(1);
    MemoryChannel& channel = opener.channel(1);
    channel.onWrite = [this, &channel](std::uint8_t byte) {
        pending_.push_back(byte);
        if (pending_.size() < 5)
            return;
        written.push_back(pending_);
        if (const std::optional<Frame> answer = matrix(pending_))
            channel.deliver(*answer);
        pending_.clear();
    };
    engine.link().OpenPort();
    mainWindow.show();
}

// Tests leave as the operator would: an editor still open is closed without saving what it changed.
EditorWindowRig::~EditorWindowRig() {
    if (engine.editor().isOpen() && engine.assignments().assignmentsChanged())
        prompt.answer(kAnswerNo);
    tools.closeAll();
    hub.leave(&tools);
    hub.leave(&mainWindow);
}

void EditorWindowRig::objects(int sources, int destinations) {
    AssignmentTable& active = engine.assignments().activeTable;
    active.sourceCount = sources;
    active.destinationCount = destinations;
    for (int s = 1; s <= sources; ++s)
        active.sources[static_cast<std::size_t>(s)] = {
            .name = "Camera " + std::to_string(s), .Kin = s, .Vin = s, .Ain = s};
    for (int d = 1; d <= destinations; ++d)
        active.destinations[static_cast<std::size_t>(d)] = {
            .name = "Monitor " + std::to_string(d), .Kou = 20 + d, .Vou = d, .Aou = d, .Shw = -1};
    engine.assignments().layerUsed = {true, true, false, false};
}

AssignmentEditorWindow& EditorWindowRig::openEditor() {
    commands.frm1_MenuEvent(kAssignmentEditor);
    AssignmentEditorWindow* window = editorWindow();
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    return *window;
}

AssignmentEditorWindow* EditorWindowRig::editorWindow() {
    return qobject_cast<AssignmentEditorWindow*>(tools.window(kAssignmentEditor));
}

QTableWidget& EditorWindowRig::list() {
    return *editorWindow()->findChild<QTableWidget*>("lvagn");
}

void EditorWindowRig::clickRow(int row) {
    QTableWidget& rows = list();
    ASSERT_NE(rows.item(row, 0), nullptr) << "row " << row;
    rows.scrollToItem(rows.item(row, 0));
    QTest::mouseClick(rows.viewport(), Qt::LeftButton, Qt::NoModifier,
                      rows.visualItemRect(rows.item(row, 0)).center());
}

void EditorWindowRig::choose(int id) {
    QAction* action = editorWindow()->menuAction(id);
    ASSERT_NE(action, nullptr) << id;
    action->trigger();
}

std::vector<Frame> EditorWindowRig::takeWritten() {
    return std::exchange(written, {});
}

std::array<int, 3> shownColour(QWidget& control) {
    const QImage image = control.grab().toImage();
    const QColor colour = image.pixelColor(4, image.height() / 2);
    return {colour.red(), colour.green(), colour.blue()};
}

std::array<int, 3> paletteColour(const QWidget& control, QPalette::ColorRole role) {
    const QColor colour = control.palette().color(role);
    return {colour.red(), colour.green(), colour.blue()};
}

} // namespace rl4::test
