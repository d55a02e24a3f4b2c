#pragma once
// 8-bit string routines with the class library's 1-based positions. Out-of-range
// arguments are clamped instead of raising, as callers throughout the system expect.
#include <string>
#include <string_view>

namespace classlib {

// Position (1-based) of the first occurrence of `needle` in `haystack`, 0 when absent
// or when `needle` is empty.
int Pos(std::string_view needle, std::string_view haystack);

// Up to `count` characters starting at the 1-based `index`; an index below 1 counts from 1.
std::string Copy(std::string_view s, int index, int count);

// Removes up to `count` characters starting at the 1-based `index`; nothing when the index
// lies outside the string.
void Delete(std::string& s, int index, int count);

// Inserts `source` before the 1-based `index`; an index below 1 inserts at the front and
// one past the end appends.
void Insert(std::string_view source, std::string& s, int index);

} // namespace classlib
