#pragma once
// The value of one hexadecimal digit, either case; -1 for anything else.
// Takes any code unit, so narrow bytes and UTF-16 units share it.
constexpr int YolHexDigitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A') + 10;
    return -1;
}
