#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

// The list-file format without any file or GL: one entry name per line, cut at the first character
// outside ListNameCharacters. Whatever follows the name is a free remark.

// Every character an entry name may hold, in ASCII order: '-', then '.' to '_' (digits, upper-case
// letters and '/', ':', ';', '<', '=', '>', '?', '@', '[', '\\', ']', '^'), then 'a' to 'z'.
constexpr std::string_view ListNameCharacters =
    "-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_abcdefghijklmnopqrstuvwxyz";

bool isListNameCharacter(char c);

// The longest run of name characters at the very start of the line; leading white space is not skipped.
// Names are read whole, whatever their length.
std::string listEntryName(const std::string& line);

// The entry names of every line, in file order, duplicates included. Blank lines (nothing but spaces,
// tabs and a carriage return) are skipped; any other line that yields no name is skipped with the line
// "SKIPPING LINE <n> OF <listPath>", so a stray leading blank does not lose a file without a word.
std::vector<std::string> parseResourceList(std::istream& in, const std::string& listPath);

// The names readResourceList gives for directory + listName, read quietly on any thread: nothing is
// printed and nothing is fatal, and a list that cannot be read has no names.
std::vector<std::string> quietResourceList(const std::string& listName, const std::string& directory);
