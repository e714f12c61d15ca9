// SPDX-License-Identifier: MIT
#include "runtime/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "lumora/runtime/RuntimeError.h"

// After the project's headers: <windows.h> defines RGB and friends as macros.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace lumora {
namespace {

NumberFormat g_current;

bool IsBlank(char16_t ch) { return ch == u' ' || ch == u'\t'; }
bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

int DigitValue(char16_t ch) {
    if (IsDigit(ch)) return ch - u'0';
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return 99;
}

// "&H1F" and "&O17": whole numbers of at most 32 bits, read as the two's
// complement Long they spell.
Double ParseRadix(const String& digits, int radix) {
    if (digits.empty()) Raise(err::kTypeMismatch);
    std::uint64_t value = 0;
    for (const char16_t ch : digits) {
        const int digit = DigitValue(ch);
        if (digit >= radix) Raise(err::kTypeMismatch);
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) Raise(err::kOverflow);
    }
    return static_cast<Double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

#ifndef _WIN32
char16_t FirstChar(const char* text) {
    const String converted = FromUtf8(text ? text : "");
    return converted.size() == 1 ? converted[0] : u'\0';
}
#endif

}  // namespace

const NumberFormat& NumberFormat::Current() noexcept { return g_current; }

void NumberFormat::SetCurrent(const NumberFormat& format) noexcept { g_current = format; }

#ifdef _WIN32
// The separators of the user's regional settings, as the runtime reads them.
NumberFormat NumberFormat::FromEnvironment() {
    NumberFormat format;
    wchar_t buffer[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) == 2)
        format.decimal = static_cast<char16_t>(buffer[0]);
    format.thousands = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8) == 2
                           ? static_cast<char16_t>(buffer[0])
                           : u'\0';
    if (format.thousands == format.decimal) format.thousands = u'\0';
    return format;
}
#else
NumberFormat NumberFormat::FromEnvironment() {
    NumberFormat format;
    const locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return format;
    if (const char16_t decimal = FirstChar(nl_langinfo_l(RADIXCHAR, locale))) format.decimal = decimal;
    format.thousands = FirstChar(nl_langinfo_l(THOUSEP, locale));
    if (format.thousands == format.decimal) format.thousands = u'\0';
    freelocale(locale);
    return format;
}
#endif

Double ParseNumber(const String& text, const NumberFormat& format) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    const String body = text.substr(begin, end - begin);

    if (body.size() >= 2 && body[0] == u'&') {
        if (body[1] == u'H' || body[1] == u'h') return ParseRadix(body.substr(2), 16);
        if (body[1] == u'O' || body[1] == u'o') return ParseRadix(body.substr(2), 8);
    }

    // Rewritten into the plain form from_chars reads: sign, digits, ".",
    // digits, "e", exponent.
    std::string plain;
    std::size_t i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == u'+' || body[i] == u'-')) negative = body[i++] == u'-';
    bool anyDigit = false;
    for (; i < body.size(); ++i) {
        if (IsDigit(body[i])) {
            plain += static_cast<char>(body[i]);
            anyDigit = true;
        } else if (anyDigit && body[i] == format.thousands && body[i] != format.decimal) {
            continue;
        } else {
            break;
        }
    }
    if (i < body.size() && body[i] == format.decimal) {
        plain += '.';
        for (++i; i < body.size() && IsDigit(body[i]); ++i) {
            plain += static_cast<char>(body[i]);
            anyDigit = true;
        }
    }
    if (!anyDigit) Raise(err::kTypeMismatch);
    if (i < body.size() && (body[i] == u'E' || body[i] == u'e' || body[i] == u'D' || body[i] == u'd')) {
        plain += 'e';
        ++i;
        if (i < body.size() && (body[i] == u'+' || body[i] == u'-')) plain += static_cast<char>(body[i++]);
        const std::size_t exponentStart = i;
        for (; i < body.size() && IsDigit(body[i]); ++i) plain += static_cast<char>(body[i]);
        if (i == exponentStart) Raise(err::kTypeMismatch);
    }
    if (i != body.size()) Raise(err::kTypeMismatch);

    Double value = 0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large does not fit a Double.
        if (plain.find("e-") == std::string::npos) Raise(err::kOverflow);
        value = 0;
    } else if (ec != std::errc() || ptr != plain.data() + plain.size()) {
        Raise(err::kTypeMismatch);
    }
    if (std::isinf(value)) Raise(err::kOverflow);
    return negative ? -value : value;
}

namespace {

String FormatSignificant(Double value, int digits, const NumberFormat& format) {
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value < 0 ? u"-Inf" : u"Inf";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
    String text;
    for (const char* p = buffer; *p; ++p) text += *p == '.' ? format.decimal : static_cast<char16_t>(*p);
    return text;
}

}  // namespace

String FormatNumber(Double value, const NumberFormat& format) { return FormatSignificant(value, 15, format); }

String FormatNumber(Single value, const NumberFormat& format) { return FormatSignificant(value, 7, format); }

}  // namespace lumora
