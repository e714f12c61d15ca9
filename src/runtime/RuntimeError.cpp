// SPDX-License-Identifier: MIT
#include "lumora/runtime/RuntimeError.h"

namespace lumora {

std::string DescribeError(Long number) {
    switch (number) {
        case err::kInvalidProcedureCall:
            return "Invalid procedure call or argument";
        case err::kOverflow:
            return "Overflow";
        case err::kOutOfMemory:
            return "Out of memory";
        case err::kSubscriptOutOfRange:
            return "Subscript out of range";
        case err::kDivisionByZero:
            return "Division by zero";
        case err::kTypeMismatch:
            return "Type mismatch";
        case err::kFileNotFound:
            return "File not found";
        case err::kPathFileAccess:
            return "Path/File access error";
        case err::kObjectNotSet:
            return "Object variable or With block variable not set";
        case err::kInvalidUseOfNull:
            return "Invalid use of Null";
        case err::kInvalidPropertyValue:
            return "Invalid property value";
        case err::kMemberNotSupported:
            return "Object doesn't support this property or method";
        case err::kKeyNotFound:
            return "Data value named not found";
        case err::kObjectRequired:
            return "Object required";
        case err::kInvalidPicture:
            return "Invalid picture";
        default:
            return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(Long number) : RuntimeError(number, DescribeError(number)) {}

RuntimeError::RuntimeError(Long number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

void Raise(Long number) { throw RuntimeError(number); }

void Raise(Long number, const std::string& description) { throw RuntimeError(number, description); }

}  // namespace lumora
