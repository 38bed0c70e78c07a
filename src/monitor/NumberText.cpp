#include "monitor/NumberText.h"

#include <climits>
#include <cstdlib>
#include <locale>
#include <sstream>

int NumberText::Integer(const wxString& text)
{
    const std::string bytes = text.ToStdString();
    long long value = std::strtoll(bytes.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double NumberText::Real(const wxString& text)
{
    std::istringstream stream(text.ToStdString());
    stream.imbue(std::locale::classic());
    double value = 0;
    if (!(stream >> value))
        return 0;
    return value;
}

wxString NumberText::OneDecimal(double value)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream.setf(std::ios::fixed);
    stream.precision(1);
    stream << value;
    std::string text = stream.str();
    if (text.size() < 2)
        text.insert(0, 2 - text.size(), ' ');
    return wxString(text);
}
