#pragma once

#include <optional>
#include <string>
#include <string_view>

// The registry and shell calls this program makes are the single-byte ("A") ones, so text
// crosses into the system's ANSI code page there and nowhere else.

// Converts to the ANSI code page. Gives nothing when a character has no exact counterpart
// there: a best-fit look-alike would silently name something else.
std::optional<std::string> ToAnsi(std::wstring_view text);

std::wstring FromAnsi(std::string_view text);

// Plain decimal digits, a minus sign only for a negative number. (The standard library's
// conversion drags the whole printf family into the exe.)
std::wstring DecimalText(int value);
