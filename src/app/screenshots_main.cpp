// routelane4_screenshots: pictures of the windows on the demo matrix, in English and French, drawn
// offscreen, for the documentation and for a look at the layout without a desktop.

#include "gui/gui_program.h"

int main(int argc, char** argv) {
    return rl4::runScreenshots(argc, argv);
}
