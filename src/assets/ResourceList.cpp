#include "assets/ResourceList.h"

#include "app/Console.h"
#include "assets/RegularFile.h"
#include "assets/ResourceCatalogue.h"

#include <algorithm>
#include <iostream>
#include <sstream>

// A byte of 0x80 and above, or a zero byte, is in no position of the set.
bool isListNameCharacter(char c) {
    return ListNameCharacters.find(c) != std::string_view::npos;
}

std::string listEntryName(const std::string& line) {
    return line.substr(0, std::min(line.find_first_not_of(ListNameCharacters), line.size()));
}

namespace {

bool isBlank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

// The lines that yield no name are reported on `skipped`, when there is one.
std::vector<std::string> listNames(std::istream& in, const std::string& listPath, std::ostream* skipped) {
    std::vector<std::string> names;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::string name = listEntryName(line);
        if (!name.empty())
            names.push_back(std::move(name));
        else if (!isBlank(line) && skipped)
            *skipped << "SKIPPING LINE " << lineNumber << " OF " << listPath << std::endl;
    }
    return names;
}

} // namespace

std::vector<std::string> parseResourceList(std::istream& in, const std::string& listPath) {
    return listNames(in, listPath, &std::cout);
}

std::vector<std::string> quietResourceList(const std::string& listName, const std::string& directory) {
    const std::string path = directory + listName;
    std::istringstream in(readRegularFile(path).value_or(""));
    return listNames(in, path, nullptr);
}

std::vector<std::string> readResourceList(const std::string& listName, const std::string& directory) {
    const std::string path = directory + listName;
    // A directory or a FIFO is as fatal as no file: one would read as an empty list, the other block.
    const std::optional<std::string> text = readRegularFile(path);
    if (!text)
        fatalError("\nERROR READING FILE: " + path);
    std::istringstream in(*text);
    return parseResourceList(in, path);
}
