#pragma once
// The small text files of the platform (preferences, resource lists, alert
// texts): one entry a line, "<key><TAB><value>"; lines starting with '#' are
// comments; "\n", "\t" and "\\" escape line ends, tabs and backslashes in
// keys and values alike.
#include <filesystem>
#include <functional>
#include <string>

namespace PK::KeyValueFile {

std::string Escape(const std::string& text);
std::string Unescape(const std::string& text);

// Calls entry(key, value) for each entry in file order, both unescaped; lines
// without a tab are skipped. False when the file cannot be opened.
bool Read(const std::filesystem::path& file, const std::function<void(std::string key, std::string value)>& entry);

}  // namespace PK::KeyValueFile
