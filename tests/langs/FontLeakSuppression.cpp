// The program's windows draw text here: the font libraries' lasting memory
// is theirs, not ours.
#include "TextDrawingSuppressions.h"
