#include "window_rig.h"

#include "gui/gui_editor_factory.h"
#include "gui/gui_tool_window_factories.h"

#include <QAction>
#include <QApplication>
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

// Labels, line edits and buttons have a text, lists their current one, group boxes a title, windows theirs.
std::string text(const QWidget& control) {
    for (const char* property : {"text", "currentText", "title"})
        if (const QVariant value = control.property(property); value.isValid())
            return value.toString().toStdString();
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

void clickCell(QAbstractItemView& view, int row, int column) {
    const QModelIndex index = view.model()->index(row, column);
    ASSERT_TRUE(index.isValid()) << row << ":" << column;
    view.scrollTo(index);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, view.visualRect(index).center());
}

Rgb shownColour(QWidget& control) {
    const QImage image = control.grab().toImage();
    return rgb(image.pixelColor(4, image.height() / 2));
}

} // namespace rl4::test
