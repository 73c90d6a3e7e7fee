// OpenGL 1.x and GLU for the drawing code.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
