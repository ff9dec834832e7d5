// dovra-settings --server HOST:PORT --issue CODE [--replace] [--check] [--root FOLDER]
//
// Writes the approval server's address and the issue code into the settings where they are missing or
// empty (every one that differs with --replace), after making the settings folder and its Log folder
// writable for the counter's users. --check only checks the values. Exit codes: 0 done, 2 usage,
// 3 unusable host, 4 unusable port, 5 unusable issue code, 6 settings not written.
#include "counter/Settings.h"
#include "foundations/PathText.h"
#include "foundations/SharedFolder.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace dovra;

namespace {

enum Exit { Done = 0, Usage = 2, BadHost = 3, BadPort = 4, BadIssueCode = 5, NotWritten = 6 };

// The arguments as UTF-8, whatever the system passes them as.
int Run(const std::vector<std::string>& arguments) {
    ServerSetup server;
    bool haveServer = false, haveIssue = false, replace = false, checkOnly = false;
    SettingsPaths paths{DefaultSettingsRoot()};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (option == "--server" && hasValue) {
            const std::string& value = arguments[++i];
            auto colon = value.rfind(':');
            server.host = value.substr(0, colon);
            server.port = colon == std::string::npos ? "" : value.substr(colon + 1);
            haveServer = true;
        } else if (option == "--issue" && hasValue) {
            server.issueCode = arguments[++i];
            haveIssue = true;
        } else if (option == "--root" && hasValue) {
            paths.root = PathFromUtf8(arguments[++i]);
        } else if (option == "--replace") {
            replace = true;
        } else if (option == "--check") {
            checkOnly = true;
        } else {
            std::fputs("usage: dovra-settings --server HOST:PORT --issue CODE [--replace] [--check] [--root "
                       "FOLDER]\n",
                       stderr);
            return Usage;
        }
    }
    if (!haveServer || !haveIssue) {
        std::fputs("dovra-settings: --server and --issue are both needed\n", stderr);
        return Usage;
    }
    switch (server.Check()) {
    case ServerSetup::Fault::Host:
        std::fputs("dovra-settings: the server's host is not a host name or an IPv4 address\n", stderr);
        return BadHost;
    case ServerSetup::Fault::Port:
        std::fputs("dovra-settings: the server's port is not a number from 1 to 65535\n", stderr);
        return BadPort;
    case ServerSetup::Fault::IssueCode:
        std::fputs("dovra-settings: the issue code is not four digits\n", stderr);
        return BadIssueCode;
    case ServerSetup::Fault::None:
        break;
    }
    if (checkOnly) {
        return Done;
    }
    if (!CreateSharedFolder(paths.root) || !CreateSharedFolder(paths.LogFolder()) ||
        !Settings(paths).SaveServer(server, replace)) {
        std::fputs("dovra-settings: the settings could not be written\n", stderr);
        return NotWritten;
    }
    return Done;
}

} // namespace

#ifdef _WIN32
// Wide, for a settings folder named in Hangul.
int wmain(int argc, wchar_t* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(PathToUtf8(argv[i]));
    }
    return Run(arguments);
}
#else
int main(int argc, char* argv[]) {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
