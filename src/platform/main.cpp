// Entry point of weissenberg.
#include <GL/freeglut.h>
#include "platform/startup.h"

int main(int argc, char** argv) {
    startProgram(&argc, argv);
    glutMainLoop();
    return 0;
}
