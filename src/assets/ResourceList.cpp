#include "assets/ResourceList.h"

#include "app/Console.h"
#include "assets/ResourceCatalogue.h"

#include <fstream>
#include <iostream>

bool isListNameCharacter(char c) {
    // Through unsigned char so that bytes of 0x80 and above fall outside every range.
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || u == '-' || (u >= '.' && u <= '_');
}

std::string listEntryName(const std::string& line) {
    size_t length = 0;
    while (length < line.size() && isListNameCharacter(line[length]))
        ++length;
    return line.substr(0, length);
}

namespace {

bool isBlank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

std::vector<std::string> parseResourceList(std::istream& in, const std::string& listPath) {
    std::vector<std::string> names;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::string name = listEntryName(line);
        if (!name.empty())
            names.push_back(std::move(name));
        else if (!isBlank(line))
            std::cout << "SKIPPING LINE " << lineNumber << " OF " << listPath << std::endl;
    }
    return names;
}

std::vector<std::string> readResourceList(const std::string& listName, const std::string& directory) {
    const std::string path = directory + listName;
    std::ifstream in(path);
    if (!in)
        fatalError("\nERROR READING FILE: " + path);
    return parseResourceList(in, path);
}
