#pragma once
// Numbers read from and written as text the way C's atoi, atof and "%2.1f" do in the "C" locale,
// whatever locale the desktop set: remote hosts print a decimal point, and the charts read back
// what the parser wrote. Windowless.
#include <wx/string.h>

class NumberText {
public:
    // The leading decimal integer (after white space, with a sign); 0 when there is none. Values
    // beyond int saturate instead of overflowing.
    static int Integer(const wxString& text);
    // The leading decimal number; 0 when there is none.
    static double Real(const wxString& text);
    // One decimal, at least two characters wide ("%2.1f").
    static wxString OneDecimal(double value);
};
