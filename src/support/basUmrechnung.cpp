// SPDX-License-Identifier: MIT
#include "support/basUmrechnung.h"

#include <cmath>
#include <string>

#include "lumora/platform/GdiScoped.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora::basUmrechnung {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr Long kHorizontal = 1;

Single TwipsPerPixel(Gdi& gdi, int index) {
    const ScopedWindowDC screen(gdi, HWND{});
    const int pixelsPerInch = gdi.GetDeviceCaps(screen.get(), index);
    if (pixelsPerInch == 0) Raise(err::kDivisionByZero);
    return static_cast<Single>(kTwipsPerInch / pixelsPerInch);
}

String Utf16(const std::string& text) { return FromUtf8(text); }

// The report names the function that failed, the error number and its
// description, one per line, and waits for OK.
void ReportError(IDialogs& dialogs, const String& functionName, const RuntimeError& error) {
    const String text = u"Es ist ein Fehler aufgetreten.\r\n\r\nIn Function:\t" + functionName +
                        u"\r\nFehlernummer:\t" + Utf16(std::to_string(error.number())) + u"\r\nBeschreibung:\t" +
                        Utf16(error.description());
    dialogs.MsgBox(text, vbCritical, u"Fehler in \"" + functionName + u"\"");
}

}  // namespace

Single fnc_TwipsPerPixelX(Gdi& gdi) { return TwipsPerPixel(gdi, LOGPIXELSX); }

Single fnc_TwipsPerPixelY(Gdi& gdi) { return TwipsPerPixel(gdi, LOGPIXELSY); }

Double fnc_PixelToTwips(Gdi& gdi, IDialogs& dialogs, Double value, Long direction) {
    const String functionName = u"fnc_PixelToTwips";
    Double result = 0;
    try {
        const Single factor = direction == kHorizontal ? fnc_TwipsPerPixelX(gdi) : fnc_TwipsPerPixelY(gdi);
        result = static_cast<Double>(factor) * value;
        if (!std::isfinite(result)) Raise(err::kOverflow);
    } catch (const RuntimeError& error) {
        ReportError(dialogs, functionName, error);
    }
    return result;
}

}  // namespace lumora::basUmrechnung
