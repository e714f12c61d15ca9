// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

#include "lumora/runtime/Types.h"

namespace lumora {

// The runtime's error numbers that the control raises or expects.
namespace err {
inline constexpr Long kInvalidProcedureCall = 5;
inline constexpr Long kOverflow = 6;
inline constexpr Long kOutOfMemory = 7;
inline constexpr Long kSubscriptOutOfRange = 9;
inline constexpr Long kDivisionByZero = 11;
inline constexpr Long kTypeMismatch = 13;
inline constexpr Long kFileNotFound = 53;
inline constexpr Long kPathFileAccess = 75;
inline constexpr Long kObjectNotSet = 91;
inline constexpr Long kInvalidUseOfNull = 94;
inline constexpr Long kInvalidPropertyValue = 380;
inline constexpr Long kMemberNotSupported = 438;
inline constexpr Long kObjectRequired = 424;
inline constexpr Long kInvalidPicture = 481;
inline constexpr Long kKeyNotFound = 327;
}  // namespace err

// The description the runtime gives for an error number.
std::string DescribeError(Long number);

// The one error type of the core: a runtime error number and its
// description. It crosses every member boundary unchanged, so a host sees
// exactly the number the failing step raised.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(Long number);
    RuntimeError(Long number, const std::string& description);

    Long number() const noexcept { return number_; }
    const char* description() const noexcept { return what(); }

private:
    Long number_;
};

[[noreturn]] void Raise(Long number);
[[noreturn]] void Raise(Long number, const std::string& description);

// Runs one step of a "skip and go on" sequence: a runtime error ends the
// step and is swallowed, anything else (a bug) still propagates. Returns
// whether the step completed.
template <typename Step>
bool SkipOnError(Step&& step) {
    try {
        step();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace lumora
