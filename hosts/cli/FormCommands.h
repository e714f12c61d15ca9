// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "lumora/control/LumoraListControl.h"

namespace lumora::cli {

// The tool's exit codes.
inline constexpr int kExitSuccess = 0;
// A form or image that cannot be read or written, or a runtime error.
inline constexpr int kExitFailure = 1;
// The command line itself is wrong, an event script included.
inline constexpr int kExitUsage = 2;

// Runs the tool on a command line as main receives it (args[0] is the
// program) and returns the exit code. Results go to out; errors go to err as
// one line each, the usage text after a wrong command line.
int Run(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// Writes the form of a newly placed control to form: a form stream for a
// .lumora name, JSON for any other.
void NewForm(const std::filesystem::path& form, std::ostream& out, std::ostream& err);
// Loads form, JSON or a form stream, into a control, as a container does when it opens the form,
// and prints what the control then holds; the keys it skipped go to err.
void ShowForm(const std::filesystem::path& form, std::ostream& out, std::ostream& err);
// Writes the form that in holds to out: as a form stream for a .lumora
// name, as JSON for a .json one, and otherwise in the format in is not.
void ConvertForm(const std::filesystem::path& in, const std::filesystem::path& out, std::ostream& log);

// The control's readable properties in interface order and its columns, as
// `show` prints them. A column member that fails shows as null.
nlohmann::ordered_json DescribeControl(LumoraListControl& control);

}  // namespace lumora::cli
