// updpack: the publisher's tool that builds, lists, verifies and extracts updater files.
// Exit status 0 on success, 1 on failure, 2 on a usage error.

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "build_updater.h"
#include "extract_updater.h"
#include "list_updater.h"
#include "platform.h"
#include "updater_directory.h"
#include "verify_updater.h"

namespace {

const int EXIT_OK = 0;
const int EXIT_FAILED = 1;
const int EXIT_USAGE = 2;

const char GENERAL_HELP[] =
    "usage: updpack COMMAND [ARGUMENTS]\n"
    "\n"
    "Builds and inspects updater files: the updater program with a package of files appended.\n"
    "\n"
    "commands:\n"
    "  build    write an updater file from the updater image and the files it carries\n"
    "  list     show the package header and directory of an updater file\n"
    "  verify   check an updater file as the updater will read it\n"
    "  extract  write the carried files into a folder\n"
    "\n"
    "'updpack COMMAND --help' describes one command. Exit status: 0 success, 1 failure,\n"
    "2 usage error.\n";

const char BUILD_HELP[] =
    "usage: updpack build --image IMAGE --output OUT --add NAME PATH [--add NAME PATH ...]\n"
    "\n"
    "Writes OUT: the updater image IMAGE (a Windows executable of at most 65536 bytes), zeros up\n"
    "to offset 65536, then a package carrying each PATH under NAME, in the order given.\n"
    "NAME is where the updater writes the file, relative to the game's folder, with folders\n"
    "separated by backslashes (quote it in the shell: 'data\\x.pak'); at most 15 bytes, at most\n"
    "16 files. Names differing only in ASCII case are the same file on Windows and are refused.\n"
    "OUT is written through a temporary file and replaced only when complete.\n";

const char LIST_HELP[] =
    "usage: updpack list [--json] FILE\n"
    "\n"
    "Shows the package header and each directory entry of the updater file FILE: name, offset\n"
    "from the data start, size, and the file range [start, end) of the data. With --json, the\n"
    "same as one JSON object; \"name_hex\" gives each name's exact bytes.\n";

const char VERIFY_HELP[] =
    "usage: updpack verify FILE\n"
    "\n"
    "Checks the updater file FILE as the updater will read it: a Windows executable that ends\n"
    "before offset 65536, zeros after it, the package header, at most 16 entries, the directory\n"
    "and every entry's data inside the file, every name acceptable to the updater, no name\n"
    "twice. Every problem found is named; the exit status is 1 if there is any.\n";

const char EXTRACT_HELP[] =
    "usage: updpack extract FILE DIR\n"
    "\n"
    "Writes the files carried by the updater file FILE into DIR (created if missing), with the\n"
    "subfolders their names give. Nothing is written if a name would leave DIR.\n";

int UsageError(const std::string& problem, const char* command) {
    fprintf(stderr, "updpack: %s\n", problem.c_str());
    fprintf(stderr, "Try 'updpack %s--help'.\n",
            command ? (std::string(command) + " ").c_str() : "");
    return EXIT_USAGE;
}

int Failure(const std::string& problem) {
    fprintf(stderr, "updpack: %s\n", problem.c_str());
    return EXIT_FAILED;
}

// The arguments after the command name that are not options, or a usage error.
bool Operands(const std::vector<std::string>& arguments, size_t expected,
              std::vector<std::string>* operands, std::string* problem) {
    for (const std::string& argument : arguments) {
        if (argument.size() > 1 && argument[0] == '-') {
            *problem = "unknown option '" + argument + "'";
            return false;
        }
        operands->push_back(argument);
    }
    if (operands->size() != expected) {
        *problem = "expected " + std::to_string(expected) + " file argument" +
                   (expected == 1 ? "" : "s") + ", got " + std::to_string(operands->size());
        return false;
    }
    return true;
}

FILE* ProgressStream() {
    return IsTerminal(stderr) ? stderr : nullptr;
}

int Build(const std::vector<std::string>& arguments) {
    std::string image, output;
    std::vector<PackageInput> inputs;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const size_t values = option == "--add" ? 2 : 1;
        if (option != "--image" && option != "--output" && option != "--add") {
            return UsageError("unknown argument '" + option + "'", "build");
        }
        if (i + values >= arguments.size()) {
            return UsageError(option + " needs " + (values == 2 ? "NAME and PATH" : "a file"),
                              "build");
        }
        if (option == "--add") {
            inputs.push_back({arguments[i + 1], arguments[i + 2]});
        } else {
            std::string& target = option == "--image" ? image : output;
            if (!target.empty()) return UsageError(option + " given twice", "build");
            target = arguments[i + 1];
        }
        i += values;
    }
    if (image.empty()) return UsageError("--image IMAGE is missing", "build");
    if (output.empty()) return UsageError("--output OUT is missing", "build");
    if (inputs.empty()) return UsageError("no file to carry: give --add NAME PATH", "build");

    std::string error;
    if (!BuildUpdater(image, inputs, output, ProgressStream(), &error)) return Failure(error);
    return EXIT_OK;
}

int List(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    bool json = false;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else {
            rest.push_back(argument);
        }
    }
    std::vector<std::string> operands;
    std::string problem;
    if (!Operands(rest, 1, &operands, &problem)) return UsageError(problem, "list");

    const std::string& path = operands[0];
    std::unique_ptr<FILE, FileCloser> file(OpenFile(path, "rb"));
    if (!file) return Failure(path + ": cannot read: " + strerror(errno));
    UpdaterDirectory directory;
    std::string error;
    if (!ReadUpdaterDirectory(file.get(), path, &directory, &error)) return Failure(error);
    const std::string text =
        json ? FormatListingJson(path, directory) : FormatListing(path, directory);
    fputs(text.c_str(), stdout);
    return EXIT_OK;
}

int Verify(const std::vector<std::string>& arguments) {
    std::vector<std::string> operands;
    std::string problem;
    if (!Operands(arguments, 1, &operands, &problem)) return UsageError(problem, "verify");
    const std::vector<std::string> problems = VerifyUpdater(operands[0]);
    for (const std::string& found : problems) fprintf(stderr, "%s\n", found.c_str());
    if (!problems.empty()) {
        fprintf(stderr, "%s: %u problem%s found\n", operands[0].c_str(),
                static_cast<unsigned>(problems.size()), problems.size() == 1 ? "" : "s");
        return EXIT_FAILED;
    }
    printf("%s: OK\n", operands[0].c_str());
    return EXIT_OK;
}

int Extract(const std::vector<std::string>& arguments) {
    std::vector<std::string> operands;
    std::string problem;
    if (!Operands(arguments, 2, &operands, &problem)) return UsageError(problem, "extract");
    std::string error;
    if (!ExtractUpdater(operands[0], operands[1], ProgressStream(), &error)) {
        return Failure(error);
    }
    return EXIT_OK;
}

bool AsksForHelp(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return UsageError("no command given", nullptr);
    const std::string command = argv[1];
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        fputs(GENERAL_HELP, stdout);
        return EXIT_OK;
    }

    struct Command {
        const char* name;
        const char* help;
        int (*run)(const std::vector<std::string>&);
    };
    const Command commands[] = {{"build", BUILD_HELP, Build},
                                {"list", LIST_HELP, List},
                                {"verify", VERIFY_HELP, Verify},
                                {"extract", EXTRACT_HELP, Extract}};
    for (const Command& known : commands) {
        if (command != known.name) continue;
        if (AsksForHelp(arguments)) {
            fputs(known.help, stdout);
            return EXIT_OK;
        }
        return known.run(arguments);
    }
    return UsageError("unknown command '" + command + "'", nullptr);
}
