// The shipped timers run as a timer runs them, and the manual pages and the completion know
// every command and option the tool has.
#include "cli/CliRun.h"
#include "cli/Subprocess.h"
#include "platform/Path.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#ifndef _WIN32
#include "support/SessionBus.h"
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

using kestrel::testing::CliProgram;
using kestrel::testing::contains;
using kestrel::testing::MinimalEnvironment;
using kestrel::testing::ProcessResult;
using kestrel::testing::ProcessRun;
using kestrel::testing::run;
using kestrel::testing::RunProcess;
using kestrel::testing::TempDir;

namespace {

// A line end of standard output as a file receives it: Windows' text mode writes CR LF.
#ifdef _WIN32
constexpr const char* kOutputLineEnd = "\r\n";
#else
constexpr const char* kOutputLineEnd = "\n";
#endif

std::string sourceFolder() {
    const char* fixtures = std::getenv("KESTREL_FIXTURES");
    return fixtures ? std::string(fixtures) + "/../../" : std::string("../");
}

std::string readSource(const std::string& relative) {
    std::ifstream in(sourceFolder() + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The command a unit file starts, as systemd would run it for `home`: the installed program
// replaced by the one just built, %h by the home folder.
std::vector<std::string> execStartOf(const std::string& unit, const std::string& home) {
    std::smatch match;
    const std::string text = readSource(unit);
    if (!std::regex_search(text, match, std::regex("\nExecStart=([^\n]*)")))
        return {};
    std::vector<std::string> args = wordsOf(match[1]);
    EXPECT_EQ(args.at(0), "/usr/bin/kestrel-backup-cli");
    args[0] = CliProgram();
    for (std::string& arg : args)
        if (arg.rfind("%h", 0) == 0)
            arg = home + arg.substr(3);
    return args;
}

ProcessResult runAsTimer(const std::vector<std::string>& args, const TempDir& dir) {
    return RunProcess(ProcessRun{args, MinimalEnvironment(dir.path("home/")), kestrel::testing::kNullDevice,
                                 dir.path("timer.out"), dir.path("timer.err")});
}

std::string reportInTarget(const std::string& target) {
    for (const auto& entry : std::filesystem::directory_iterator(target))
        if (entry.path().filename().string().rfind("_Backup report", 0) == 0) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            return text.str();
        }
    return "";
}

} // namespace

TEST(Timers, TheServiceBacksUpTheLastRunSetupWithoutATerminalOrADisplay) {
    TempDir dir;
    dir.createFile("src/Letters/a.txt", "a");
    dir.createFile("src/Letters/old/b.txt", "b");
    dir.createFile("src/Photos/c.jpg", "c");
    dir.createFolder("dst");
    dir.createFolder("home");
    const std::vector<std::string> args =
        execStartOf("packaging/systemd/kestrel-backup.service", dir.path("home/"));
    ASSERT_FALSE(args.empty());

    // Before any setup exists the timer's run refuses, and says why.
    ProcessResult early = runAsTimer(args, dir);
    EXPECT_EQ(early.status, 2) << early.err;
    EXPECT_EQ(early.err.rfind("kestrel-backup-cli: there is no last-run setup yet (", 0), 0u) << early.err;

    ASSERT_EQ(runAsTimer({CliProgram(), "save", "--source", dir.path("src"), "--target", dir.path("dst"),
                          "--include-all", "--subfolders"},
                         dir)
                  .status,
              0);
    ProcessResult result = runAsTimer(args, dir);
    EXPECT_EQ(result.status, 0) << result.err << result.out;
    EXPECT_TRUE(dir.exists("dst/Letters/old/b.txt"));
    EXPECT_TRUE(dir.exists("dst/Photos/c.jpg"));
    const std::string report = reportInTarget(dir.path("dst"));
    EXPECT_TRUE(contains(report, "Number of files copied: 3\r\n")) << report;
    EXPECT_TRUE(contains(result.out, std::string("Number of files copied: 3") + kOutputLineEnd))
        << "the journal gets the report's summary";
    EXPECT_FALSE(contains(result.out, "Letters")) << "and not a line per folder and file\n" << result.out;
    EXPECT_EQ(result.err, "");
}

TEST(Timers, TheMultipleServiceRunsEverySetupOfTheFolder) {
    TempDir dir;
    dir.createFile("docs/Letters/a.txt", "a");
    dir.createFile("pics/2024/p.jpg", "p");
    dir.createFolder("dst/docs");
    dir.createFolder("dst/pics");
    dir.createFolder("home/Backup-setups");
    for (const char* name : {"docs", "pics"})
        ASSERT_EQ(run({"save", dir.path("home/Backup-setups/") + name + ".zbk", "--source", dir.path(name),
                       "--target", dir.path("dst/") + name, "--include-all", "--report",
                       dir.path("home/") + name + "-report.txt"})
                      .status,
                  0);
    const std::vector<std::string> args =
        execStartOf("packaging/systemd/kestrel-backup-multiple.service", dir.path("home/"));
    ProcessResult result = runAsTimer(args, dir);
    EXPECT_EQ(result.status, 0) << result.err << result.out;
    EXPECT_TRUE(dir.exists("dst/docs/Letters/a.txt"));
    EXPECT_TRUE(dir.exists("dst/pics/2024/p.jpg"));
    EXPECT_TRUE(contains(dir.readFile("home/pics-report.txt"), "Number of files copied: 1\r\n"));
}

// The words of the crontab line's command, the installed program replaced by the one just built,
// up to the redirection of standard output.
std::vector<std::string> cronCommand() {
    std::string cronLine;
    std::istringstream in(readSource("packaging/cron/kestrel-backup.cron"));
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            cronLine = line;
    std::vector<std::string> words = wordsOf(cronLine);
    if (words.size() < 6)
        return {};
    std::vector<std::string> command;
    for (std::size_t i = 5; i < words.size() && words[i][0] != '>'; ++i)
        command.push_back(words[i]);
    return command;
}

TEST(Timers, TheCronLineRunsTheServicesCommand) {
    const std::vector<std::string> command = cronCommand();
    ASSERT_GE(command.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(command.begin(), command.begin() + 3),
              (std::vector<std::string>{"/usr/bin/kestrel-backup-cli", "backup", "--unattended"}));
    EXPECT_TRUE(contains(readSource("packaging/systemd/kestrel-backup.timer"), "Unit=") ||
                contains(readSource("packaging/systemd/kestrel-backup.timer"), "OnCalendar="));
}

// Cron mails what the command writes on standard error (its standard output is dropped): nothing
// after a good run, and one line that says why after any other.
TEST(Timers, TheCronMailSaysWhyARunWasNotASuccess) {
    TempDir dir;
    dir.createFile("src/letter.txt", "older text", 1'000'000'000);
    dir.createFile("dst/letter.txt", "the backup copy", 1'100'000'000);
    dir.createFolder("home");
    std::vector<std::string> command = cronCommand();
    ASSERT_FALSE(command.empty());
    command[0] = CliProgram();

    ProcessResult none = runAsTimer(command, dir);
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err.rfind("kestrel-backup-cli: there is no last-run setup yet (", 0), 0u) << none.err;
    EXPECT_EQ(none.err.find('\n'), none.err.size() - 1) << "one line\n" << none.err;

    ASSERT_EQ(runAsTimer({CliProgram(), "save", "--source", dir.path("src"), "--target", dir.path("dst"),
                          "--warn-older"},
                         dir)
                  .status,
              0);
    const ProcessResult warned = runAsTimer(command, dir);
    EXPECT_EQ(warned.status, 1);
    const std::string account = "kestrel-backup-cli: backup ended with 1 warning; report file: " +
                                kestrel::platform::withStyleSeparators(dir.path("dst/")) + "_Backup report ";
    const std::string mail = kestrel::testing::WithNewlines(warned.err);
    EXPECT_EQ(mail.rfind(account, 0), 0u) << warned.err;
    EXPECT_EQ(mail.find('\n'), mail.size() - 1) << "one line\n" << warned.err;
    EXPECT_EQ(mail.substr(mail.size() - 5), ".txt\n") << warned.err;
}

// The units wait for the target's disk, hook their failures, and start what the hook names.
TEST(Timers, TheUnitsGuardTheMountAndNameAFailureHookThatExists) {
    for (const char* unit :
         {"packaging/systemd/kestrel-backup.service", "packaging/systemd/kestrel-backup-multiple.service"}) {
        SCOPED_TRACE(unit);
        const std::string text = readSource(unit);
        EXPECT_TRUE(contains(text, "\nRequiresMountsFor=/")) << text;
        EXPECT_TRUE(contains(text, "\nOnFailure=kestrel-backup-failed@%n.service\n")) << text;
        EXPECT_TRUE(contains(text, " --summary")) << "the journal gets the summary";
        EXPECT_TRUE(contains(text, " --notify")) << "the desktop is told";
    }
    EXPECT_TRUE(contains(readSource("packaging/systemd/kestrel-backup-failed@.service"), "member=Notify") ||
                contains(readSource("packaging/systemd/kestrel-backup-failed@.service"),
                         "org.freedesktop.Notifications Notify"));
}

#ifndef _WIN32
// The failure hook, run as systemd runs it for a failed unit (the MONITOR_ variables describe the
// failure): the tool's own ends are left to the tool, any other failure is told on the bus.
TEST(Timers, TheFailureHookTellsTheDesktopWhatTheToolCouldNot) {
    if (std::system("command -v busctl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "busctl (Debian package systemd) is not installed";
    kestrel::testing::SessionBus bus;
    if (!bus.Unavailable().empty())
        GTEST_SKIP() << bus.Unavailable();
    std::smatch match;
    const std::string unit = readSource("packaging/systemd/kestrel-backup-failed@.service");
    ASSERT_TRUE(std::regex_search(unit, match, std::regex("\nExecStart=/bin/sh -c '([^\n]*)'\n")));
    std::string script = std::regex_replace(match[1].str(), std::regex("\\$\\$"), "$$");
    script = std::regex_replace(script, std::regex("%i"), "kestrel-backup.service");
    TempDir dir;
    auto hook = [&](const std::string& result, const std::string& status) {
        return RunProcess(
            ProcessRun{{"/bin/sh", "-c", script},
                       {"PATH=/usr/local/bin:/usr/bin:/bin", "DBUS_SESSION_BUS_ADDRESS=" + bus.Address(),
                        "MONITOR_SERVICE_RESULT=" + result, "MONITOR_EXIT_STATUS=" + status},
                       kestrel::testing::kNullDevice,
                       dir.path("out.txt"),
                       dir.path("err.txt")});
    };

    for (const char* status : {"1", "2", "3"})
        EXPECT_EQ(hook("exit-code", status).status, 0) << "told by the tool itself";
    hook("signal", "KILL");

    ASSERT_TRUE(
        bus.WaitFor("kestrel-backup.service: signal. See journalctl --user -u kestrel-backup.service"))
        << bus.Seen();
    EXPECT_TRUE(contains(bus.Seen(), "string \"Backup did not complete\"")) << bus.Seen();
    const std::string call = "interface=org.freedesktop.Notifications; member=Notify";
    EXPECT_EQ(bus.Seen().find(call), bus.Seen().rfind(call)) << "one notification only\n" << bus.Seen();
}
#endif

TEST(Docs, ManualPagesAndCompletionNameEveryCommandAndOption) {
    const std::string help = run({"--help"}).out;
    std::set<std::string> options;
    const std::regex optionName("  (--[a-z-]+)");
    for (std::sregex_iterator it(help.begin(), help.end(), optionName), end; it != end; ++it)
        options.insert((*it)[1]);
    ASSERT_GT(options.size(), 20u);
    const std::string manual = readSource("data/man/kestrel-backup-cli.1");
    const std::string completion = readSource("data/completion/kestrel-backup-cli.bash");
    for (const std::string& option : options) {
        std::string escaped = std::regex_replace(option, std::regex("-"), "\\-");
        EXPECT_TRUE(contains(manual, escaped)) << option;
        EXPECT_TRUE(contains(completion, option)) << option;
    }
    for (const char* command :
         {"backup", "check", "list", "delete", "multiple", "save", "show", "setups-folder"}) {
        EXPECT_TRUE(contains(manual, std::string(".BR ") + command)) << command;
        EXPECT_TRUE(contains(completion, command)) << command;
    }
    EXPECT_TRUE(
        contains(readSource("data/man/kestrel-backup.1"), "kestrel-backup-cli backup \\-\\-unattended"));
}

TEST(Docs, ManualPagesRenderWithoutWarnings) {
    SKIP_ON_WINDOWS("the manual pages are rendered with groff through /bin/sh");
    if (std::system("command -v groff >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "groff is not installed; the pages' content is checked by the test above";
    TempDir dir;
    for (const char* page : {"data/man/kestrel-backup-cli.1", "data/man/kestrel-backup.1"}) {
        ProcessResult result = RunProcess(
            ProcessRun{{"/bin/sh", "-c", "groff -man -Tutf8 -ww -P-cbou \"$0\"", sourceFolder() + page},
                       MinimalEnvironment(dir.path()),
                       kestrel::testing::kNullDevice,
                       dir.path("page.txt"),
                       dir.path("warnings.txt")});
        EXPECT_EQ(result.status, 0) << page;
        EXPECT_EQ(result.err, "") << page;
        EXPECT_TRUE(contains(result.out, "\nSEE ALSO\n")) << page << result.out.substr(0, 300);
    }
}

TEST(Docs, BashCompletesCommandsAndEachCommandsOwnOptions) {
    SKIP_ON_WINDOWS("the completion is a bash script, run by /bin/bash");
    TempDir dir;
    dir.createFile("complete.sh", R"(source "$1"
complete_line() {
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kestrel_backup_cli kestrel-backup-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    echo "[$line] ${COMPREPLY[*]}"
}
complete -p kestrel-backup-cli
complete_line "kestrel-backup-cli "
complete_line "kestrel-backup-cli ch"
complete_line "kestrel-backup-cli check --w"
complete_line "kestrel-backup-cli delete --w"
complete_line "kestrel-backup-cli backup --modified-since "
complete_line "kestrel-backup-cli save --pro"
complete_line "kestrel-backup-cli restore --ov"
complete_line "kestrel-backup-cli backup --ov"
)");
    ProcessResult result =
        RunProcess(ProcessRun{{"/bin/bash", "--norc", "--noprofile", dir.path("complete.sh"),
                               sourceFolder() + "data/completion/kestrel-backup-cli.bash"},
                              MinimalEnvironment(dir.path()),
                              kestrel::testing::kNullDevice,
                              dir.path("out.txt"),
                              dir.path("err.txt")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string expected =
        "complete -F _kestrel_backup_cli kestrel-backup-cli\n"
        "[kestrel-backup-cli ] backup check list delete multiple save show setups-folder restore help\n"
        "[kestrel-backup-cli ch] check\n"
        "[kestrel-backup-cli check --w] --warn-older --warn-smaller\n"
        "[kestrel-backup-cli delete --w] --wipe\n"
        "[kestrel-backup-cli backup --modified-since ] any 3 7 14 28\n"
        "[kestrel-backup-cli save --pro] \n"
        "[kestrel-backup-cli restore --ov] --overwrite-newer\n"
        "[kestrel-backup-cli backup --ov] \n";
    EXPECT_EQ(result.out, expected);
}
