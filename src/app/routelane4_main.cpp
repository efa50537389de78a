// routelane4: the operator's window program.

#include "gui/gui_program.h"

int main(int argc, char** argv) {
    return rl4::runRoutelane4(argc, argv);
}
