#include "window_rig.h"

#include "gui/gui_editor_factory.h"
#include "gui/gui_tool_window_factories.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace rl4::test {

WindowRig::WindowRig(RigOptions options) : rig(options) {
    addEditorWindow(tools, engine, mainWindow);
    addToolWindows(tools, engine, commands, mainWindow);
    hub.join(&translation);
    hub.join(&mainWindow);
    hub.join(&tools);
}

// The tool windows go before the engine they draw, as at the program's end; an editor still open is closed
// as the operator would, without saving.
WindowRig::~WindowRig() {
    if (engine.editor().isOpen() && engine.assignments().assignmentsChanged())
        rig.prompt.answer(kAnswerNo);
    tools.closeAll();
    hub.leave(&tools);
    hub.leave(&mainWindow);
    hub.leave(&translation);
}

void WindowRig::setting(std::size_t line, const std::string& value) {
    Lines settings = rig.readLines("routelane4.set");
    settings.at(line) = value;
    writeCrLf(rig.path("routelane4.set"), settings);
}

void WindowRig::start() {
    engine.startUpSettings();
    translation.follow();
    mainWindow.useLanguage(engine.settings().language);
    mainWindow.placeAt(engine.settings());
    mainWindow.show();
    engine.startUpMatrix();
    commands.openSavedWindows();
    QApplication::processEvents();
}

QWidget* WindowRig::startWith(int menuId) {
    start();
    choose(menuId);
    return window(menuId);
}

void WindowRig::runMainLoop(int millis) {
    for (int passed = 0; passed < millis; passed += 20) {
        rig.clock.advance(20'000);
        engine.mainLoopPass();
        QApplication::processEvents();
    }
}

void WindowRig::choose(int menuId) {
    QAction* action = mainWindow.menuAction(menuId);
    ASSERT_NE(action, nullptr) << menuId;
    action->trigger();
}

Rgb rgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

std::string text(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label->text().toStdString();
    if (const auto* box = qobject_cast<const QComboBox*>(&control))
        return box->currentText().toStdString();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control))
        return edit->text().toStdString();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text().toStdString();
    if (const auto* group = qobject_cast<const QGroupBox*>(&control))
        return group->title().toStdString();
    return control.windowTitle().toStdString();
}

std::string cell(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->text().toStdString() : "<no cell>";
}

std::vector<std::string> column(const QTableWidget& table, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < table.rowCount(); ++row)
        cells.push_back(cell(table, row, column));
    return cells;
}

std::vector<std::string> items(const QComboBox& box) {
    std::vector<std::string> texts;
    for (int i = 0; i < box.count(); ++i)
        texts.push_back(box.itemText(i).toStdString());
    return texts;
}

void clickCell(QTableWidget& table, int row, int column) {
    ASSERT_NE(table.item(row, column), nullptr) << row << ":" << column;
    table.scrollToItem(table.item(row, column));
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier,
                      table.visualItemRect(table.item(row, column)).center());
}

Rgb shownColour(QWidget& control) {
    const QImage image = control.grab().toImage();
    return rgb(image.pixelColor(4, image.height() / 2));
}

} // namespace rl4::test
