// This program draws text: the sanitizers are told about the font libraries.
#include "TextDrawingSuppressions.h"
