#pragma once
// What the model's subcommands of brimalox-cli share: their options, their refusals' names, how a
// failure ends them, and their files.

#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>

#include "nec/native/runner.h"
#include "nec/nec.h"
#include "nec/report/report.h"
#include "nec/setting_fields.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace brimalox::cli {

// The exit status of a model command that failed (a usage error is kExitUsage).
inline constexpr int kExitFailed = 1;

// The options by which the command line names the check's settings in a refusal.
nec::SettingNames optionNames();
// A setting of the check's as its row in nec/setting_fields.h makes it an option.
CLI::Option* addSettingOption(CLI::App& command, nec::Settings& settings, std::string_view key);
// Every setting of these groups, the groups in this order.
void addSettingOptions(CLI::App& command, nec::Settings& settings, std::initializer_list<nec::SettingGroup> groups);
// FREQ, the design options, the sweep, the ground and the coat (with the refusals' names into request).
void addModelOptions(CLI::App& command, nec::Request& request);
// --time-limit, the seconds each nec2c run may take (default 120).
CLI::Option* addTimeLimitOption(CLI::App& command, std::string& seconds, const std::string& help);
// nec2c's options for --time-limit's text: refused unless a positive number, a day at the most.
nec::RunOptions timeLimited(const std::string& seconds);
// Runs a command's body: a failure is told on err and ends the program with status 1; an option
// value that makes no sense is a usage error.
void guarded(std::ostream& err, const char* command, const std::function<void()>& body);
// Throws NecError naming the file.
nec::Touchstone readTouchstoneFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

}  // namespace brimalox::cli
