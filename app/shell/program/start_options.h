// The program's command line: switches and the file words, and the file
// names that the shell split at blanks joined again.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace shell {

struct StartOptions {
    bool unregister = false;    // "/Unregister" or "/Unregserver"
    bool import = false;        // "/t": the files come in as received camera images
    bool deleteSource = false;  // "/r", only together with "/t"
    std::vector<std::string> files;
};

// `words` are the command line's words after the program's own name. Slash
// words are switches, compared without case; unknown ones are ignored.
StartOptions ParseStartOptions(const std::vector<std::string>& words);

// Joins each word with its followers, one blank between, until a candidate
// exists; a candidate of two or more words that exists replaces them. No
// candidate longer than 260 characters is tried.
void RejoinSplitFileNames(std::vector<std::string>& words, const std::function<bool(const std::string&)>& exists);

}  // namespace shell
