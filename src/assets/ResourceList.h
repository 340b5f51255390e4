#pragma once

#include <istream>
#include <string>
#include <vector>

// The list-file format without any file or GL: one entry name per line, cut at the first character
// outside the name set (lower-case letters, '-', and '.' to '_' in ASCII order: digits, upper-case
// letters, '/', ':' to '@', '[', '\\', ']', '^'). Whatever follows the name is a free remark.

bool isListNameCharacter(char c);

// The longest run of name characters at the very start of the line; leading white space is not skipped.
// Names are read whole, whatever their length.
std::string listEntryName(const std::string& line);

// The entry names of every line, in file order, duplicates included. Blank lines (nothing but spaces,
// tabs and a carriage return) are skipped; any other line that yields no name is skipped with the line
// "SKIPPING LINE <n> OF <listPath>", so a stray leading blank does not lose a file without a word.
std::vector<std::string> parseResourceList(std::istream& in, const std::string& listPath);
