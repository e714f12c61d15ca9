// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/runtime/Types.h"

namespace lumora {

// The separators of the user's locale that the runtime's text-to-number and
// number-to-text conversions follow ("12,5" is twelve and a half in a
// decimal-comma locale, and one hundred and twenty-five in an English one).
struct NumberFormat {
    char16_t decimal = u'.';
    char16_t thousands = u',';

    friend constexpr bool operator==(const NumberFormat&, const NumberFormat&) = default;

    static const NumberFormat& Current() noexcept;
    static void SetCurrent(const NumberFormat& format) noexcept;
    // The separators of the process environment's numeric locale.
    static NumberFormat FromEnvironment();
};

// Text to number as the runtime converts it: blanks around the number, a
// sign, digits with the locale's thousands separators, one decimal
// separator, an exponent, or &H/&O for hexadecimal and octal. Anything else,
// the empty text included, raises error 13.
Double ParseNumber(const String& text, const NumberFormat& format = NumberFormat::Current());

// Number to text as the runtime shows it: up to 15 significant digits for a
// Double and 7 for a Single, the locale's decimal separator, no trailing
// zeros.
String FormatNumber(Double value, const NumberFormat& format = NumberFormat::Current());
String FormatNumber(Single value, const NumberFormat& format = NumberFormat::Current());

// Temporarily sets the current format; tests use it for other locales.
class ScopedNumberFormat {
public:
    explicit ScopedNumberFormat(const NumberFormat& format) : saved_(NumberFormat::Current()) {
        NumberFormat::SetCurrent(format);
    }
    ~ScopedNumberFormat() { NumberFormat::SetCurrent(saved_); }
    ScopedNumberFormat(const ScopedNumberFormat&) = delete;
    ScopedNumberFormat& operator=(const ScopedNumberFormat&) = delete;

private:
    NumberFormat saved_;
};

}  // namespace lumora
