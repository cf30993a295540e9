#include "cli/Prompts.h"

#include <cstdio>
#include <iostream>

#include "cli/Output.h"
#include "platform/Terminal.h"

namespace qm::cli {

bool confirm(const std::string& question) {
    std::fprintf(stderr, "%s [y/N] ", visible(withLineFeeds(question)).c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::fputc('\n', stderr);
        return false;
    }
    for (char& c : answer)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    return answer == "y" || answer == "yes";
}

std::optional<std::string> askPassword(const std::string& label) {
    std::fprintf(stderr, "%s ", label.c_str());
    std::fflush(stderr);
    std::string password;
    if (!platform::readLineUnechoed(password)) {
        std::fputc('\n', stderr);
        return std::nullopt;
    }
    return password;
}

}  // namespace qm::cli
