#pragma once
// Texts drawn in a system colour (the active-caption colour) on a white field: some desktop themes,
// GTK's among them, make that colour a pale grey that cannot be read there.
#include <wx/colour.h>

// colour itself where it is readable on background (contrast ratio 4.5, as the WCAG define it),
// else colour darkened just enough to be read comfortably.
wxColour ReadableOn(const wxColour& background, wxColour colour);
