#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "items/ItemTable.h"
#include "platform/OpenPlatform.h"

namespace qm::cli {
namespace {

// The forms an option goes with, as bits of Form.
constexpr unsigned bit(Form form) { return 1u << static_cast<unsigned>(form); }
constexpr unsigned kEveryForm = ~0u;

struct Option {
    const char* name;
    bool takesValue;
    Form selects;    // the form this option names, or Form::None
    unsigned forms;  // the forms it may be given with
};

constexpr Option kOptions[] = {
    {"--prefix", true, Form::None, kEveryForm},
    {"--user", true, Form::None, kEveryForm},
    {"--code-page", true, Form::None, kEveryForm},
    {"--list", true, Form::List, bit(Form::List)},
    {"--profiles", false, Form::Profiles, bit(Form::Profiles)},
    {"--backup", true, Form::Backup, bit(Form::Backup)},
    {"--restore", true, Form::Restore, bit(Form::Restore)},
    {"--schedule", false, Form::Schedule, bit(Form::Schedule)},
    {"--jobs", false, Form::Jobs, bit(Form::Jobs)},
    {"--unschedule", true, Form::Unschedule, bit(Form::Unschedule)},
    {"--catch-up", false, Form::CatchUp, bit(Form::CatchUp)},
    {"--profile", true, Form::None, bit(Form::Backup) | bit(Form::Restore) | bit(Form::Schedule)},
    {"--items", true, Form::None, bit(Form::Backup) | bit(Form::Restore) | bit(Form::Schedule)},
    {"--password", true, Form::None, bit(Form::List) | bit(Form::Backup) | bit(Form::Restore) | bit(Form::Schedule)},
    {"--password-file", true, Form::None,
     bit(Form::List) | bit(Form::Backup) | bit(Form::Restore) | bit(Form::Schedule) | bit(Form::Unattended)},
    {"--description", true, Form::None, bit(Form::Backup)},
    {"--yes", false, Form::None, bit(Form::Restore)},
    {"--file", true, Form::None, bit(Form::Schedule)},
    {"--time", true, Form::None, bit(Form::Schedule)},
    {"--days", true, Form::None, bit(Form::Schedule)},
    {"--keep", true, Form::None, bit(Form::Backup) | bit(Form::Schedule) | bit(Form::Unattended)},
    {"--keep-weekly", true, Form::None, bit(Form::Backup) | bit(Form::Schedule) | bit(Form::Unattended)},
    {"--keep-monthly", true, Form::None, bit(Form::Backup) | bit(Form::Schedule) | bit(Form::Unattended)},
};

// What each form cannot do without.
struct Required {
    Form form;
    std::vector<const char*> options;
};
const Required kRequired[] = {
    {Form::Backup, {"--profile", "--items"}},
    {Form::Restore, {"--profile"}},
    {Form::Schedule, {"--profile", "--items", "--file", "--time"}},
};

const Option* findOption(const std::string& word) {
    for (const auto& option : kOptions)
        if (word == option.name) return &option;
    return nullptr;
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void store(Arguments& args, const std::string& name, const std::string& value) {
    if (name == "--prefix") args.wine.prefix = value;
    else if (name == "--user") args.wine.userName = value;
    else if (name == "--code-page") args.wine.codePage = value;
    else if (name == "--list" || name == "--backup" || name == "--restore" || name == "--file") args.file = value;
    else if (name == "--profile") args.profile = value;
    else if (name == "--items") args.items = value;
    else if (name == "--password") args.password = value;
    else if (name == "--password-file") args.passwordFile = value;
    else if (name == "--description") args.description = value;
    else if (name == "--yes") args.yes = true;
    else if (name == "--time") args.time = value;
    else if (name == "--days") args.days = value;
    else if (name.rfind("--keep", 0) == 0)
        args.keepWords.insert(args.keepWords.end(), {name, value});
}

const char* const kSeeHelp = " (see --help)";

}  // namespace

std::optional<jobs::WeekdayChecks> weekdaysOf(const std::string& days) {
    jobs::WeekdayChecks checked{};
    if (upper(days) == "DAILY") {
        checked.fill(true);
        return checked;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = days.find(',', start);
        const std::string token =
            upper(days.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        bool known = false;
        for (int day = 0; day < jobs::kWeekdayCount; ++day) {
            if (token == jobs::kWeekdayTokens[static_cast<std::size_t>(day)].token) {
                checked[static_cast<std::size_t>(day)] = true;
                known = true;
            }
        }
        if (!known) return std::nullopt;
        if (comma == std::string::npos) return checked;
        start = comma + 1;
    }
}

bool parseArguments(const std::vector<std::string>& words, Arguments& args, std::string& error) {
    args = Arguments{};
    std::set<std::string> given;
    std::string formOption;
    std::string jobNumber;
    std::size_t i = 0;
    for (; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--help" || word == "-h") {
            args.form = Form::Help;
            return true;
        }
        if (word.rfind("--", 0) != 0) break;  // the unattended argument text begins
        const Option* option = findOption(word);
        if (!option) {
            error = "unknown option " + word + kSeeHelp;
            return false;
        }
        if ((word == "--prefix" || word == "--user" || word == "--code-page") && !platform::opensWinePrefix()) {
            error = word + " chooses a Wine prefix, its user or its code page; this Windows build works on the "
                           "Windows it runs in, for the user who starts it";
            return false;
        }
        if (!given.insert(word).second) {
            error = word + " is given twice" + kSeeHelp;
            return false;
        }
        std::string value;
        if (option->takesValue) {
            // The next option is no value: "--backup --profile X" names no
            // file, rather than a file called "--profile".
            if (i + 1 >= words.size() || findOption(words[i + 1])) {
                const bool file = word == "--list" || word == "--backup" || word == "--restore" || word == "--file";
                error = word + (file ? " needs the backup file" : " needs a value") + kSeeHelp;
                return false;
            }
            value = words[++i];
        }
        if (option->selects != Form::None) {
            if (args.form != Form::None) {
                error = formOption + " and " + word + " do not go together" + kSeeHelp;
                return false;
            }
            args.form = option->selects;
            formOption = word;
        }
        if (word == "--unschedule") jobNumber = value;
        store(args, word, value);
    }

    if (i < words.size()) {
        if (args.form != Form::None) {
            error = "unexpected argument \"" + words[i] + "\" after " + formOption + kSeeHelp;
            return false;
        }
        args.form = Form::Unattended;
        formOption = "the argument text sf=...";
        for (; i < words.size(); ++i) args.argumentText += (args.argumentText.empty() ? "" : " ") + words[i];
    }
    for (const auto& name : given) {
        if (findOption(name)->forms & bit(args.form)) continue;
        // Without a form, an option of one would be silently ignored.
        error = args.form == Form::None ? name + " goes only with one of --list, --backup, --restore, --schedule"
                                         : name + " does not go with " + formOption;
        error += kSeeHelp;
        return false;
    }
    if (given.count("--password") && given.count("--password-file")) {
        error = "--password and --password-file do not go together" + std::string(kSeeHelp);
        return false;
    }
    if (given.count("--password-file") && args.passwordFile.empty()) {
        error = "--password-file needs the name of a file" + std::string(kSeeHelp);
        return false;
    }
    // Only the installation named (--prefix, --user): as started without
    // arguments.
    if (args.form == Form::None) return true;
    for (const auto& required : kRequired) {
        if (required.form != args.form) continue;
        for (const char* name : required.options) {
            if (!given.count(name)) {
                error = formOption + " needs " + name + kSeeHelp;
                return false;
            }
        }
    }
    if (args.items && !items::selectionOfDigits(*args.items)) {
        error = "--items takes eight digits, 0 or 1, one per item" + std::string(kSeeHelp);
        return false;
    }
    if (std::string why; !jobs::ReadKeepWords(args.keepWords, args.keep, why)) {
        error = why + kSeeHelp;
        return false;
    }
    if (args.days && !weekdaysOf(*args.days)) {
        error = "--days takes M, T, W, TH, F, S, SU separated by \",\", or daily" + std::string(kSeeHelp);
        return false;
    }
    if (args.form == Form::Unschedule) {
        auto [end, ec] = std::from_chars(jobNumber.data(), jobNumber.data() + jobNumber.size(), args.jobNumber);
        if (ec != std::errc() || end != jobNumber.data() + jobNumber.size() || args.jobNumber == 0) {
            error = "--unschedule takes the number of a job, as --jobs shows it" + std::string(kSeeHelp);
            return false;
        }
    }
    return true;
}

}  // namespace qm::cli
