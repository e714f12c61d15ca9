// SPDX-License-Identifier: MIT
#include "RenderCommand.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "lumora/forms/FormConversion.h"
#include "lumora/forms/JsonFormFile.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/DeviceScaleGdi.h"
#include "lumora/platform/soft/PngWriter.h"

namespace lumora::cli {
namespace {

// The widest window the tool asks for; the host makes none wider.
constexpr int kMaxWidth = 32767;
// Skipped keys reported one per line, at most: a screenful.
constexpr std::size_t kMaxReportedKeys = 20;
// Ten times the standard resolution, beyond any screen a form meets.
constexpr int kMaxDpi = 960;
// The window starts this tall; the control sets its own height from
// HeaderHeight on its first paint. Without --width it starts narrow: the
// strip's own width is known only once the form is loaded.
constexpr int kInitialHeight = 25;
constexpr int kInitialWidth = 1;
// Each column takes two pixels beyond its width, and the strip shows this
// much of the area right of the last column by default.
constexpr std::int64_t kColumnGap = 2;
constexpr std::int64_t kRightMargin = 40;
// Left, right and middle, as the mouse events number them.
constexpr Integer kButtons[] = {1, 2, 4};
// The keys a script can press, by the names it gives them.
constexpr std::pair<std::string_view, Integer> kKeys[] = {
    {"Left", kKeyLeft},   {"Right", kKeyRight}, {"Home", kKeyHome}, {"End", kKeyEnd},
    {"Space", kKeySpace}, {"Enter", kKeyEnter}, {"Tab", kKeyTab},
};
// What the host's log calls the control's events.
constexpr std::string_view kEventNames[] = {"RowPressed ", "MouseIn ", "MouseOut ", "MouseDown ", "MouseUp "};

// Built piece by piece: GCC 12 warns wrongly about "\"" + std::string.
std::string Quote(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '"').append(text).append(1, '"');
    return quoted;
}

// Whole-token integer, or nothing for a word with anything else in it.
std::optional<long long> WholeNumber(std::string_view word) {
    long long value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

int BoundedOption(const std::string& name, const std::string& word, int low, int high) {
    const std::optional<long long> value = WholeNumber(word);
    if (!value || *value < low || *value > high)
        throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not " + Quote(word));
    return static_cast<int>(*value);
}

double ScaleOption(const std::string& word) {
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !(value >= DeviceScaleGdi::kMinScale) ||
        !(value <= DeviceScaleGdi::kMaxScale))
        throw UsageError("--scale takes a number from 0.5 to 4, not " + Quote(word));
    return value;
}

std::vector<std::string_view> Words(std::string_view item) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while ((start = item.find_first_not_of(" \t", start)) != std::string_view::npos) {
        const std::size_t end = std::min(item.find_first_of(" \t", start), item.size());
        words.push_back(item.substr(start, end - start));
        start = end;
    }
    return words;
}

// Reads the words of one event; every complaint names the event.
class EventReader {
public:
    EventReader(int position, std::string_view item)
        : words_(Words(item)), where_("event " + std::to_string(position) + " (" + Quote(Trimmed(item)) + "): ") {}

    ScriptEvent Read() const {
        const std::string_view name = words_.front();
        if (name == "move") return PointerEvent(ScriptEvent::Kind::Move, false);
        if (name == "down") return PointerEvent(ScriptEvent::Kind::Down, true);
        if (name == "up") return PointerEvent(ScriptEvent::Kind::Up, true);
        if (name == "focus") return Bare(ScriptEvent::Kind::Focus);
        if (name == "blur") return Bare(ScriptEvent::Kind::Blur);
        if (name == "key") return Key();
        if (name == "alt") return AccessKey();
        Fail("unknown event " + Quote(name) + "; events are move, down, up, focus, blur, key and alt");
    }

private:
    static std::string_view Trimmed(std::string_view item) {
        const std::vector<std::string_view> words = Words(item);
        return std::string_view(words.front().data(), words.back().data() + words.back().size());
    }

    [[noreturn]] void Fail(const std::string& problem) const { throw EventScriptError(where_ + problem); }

    ScriptEvent PointerEvent(ScriptEvent::Kind kind, bool takesButton) const {
        const std::size_t most = takesButton ? 4 : 3;
        if (words_.size() < 3) Fail(Quote(words_[0]) + " needs X and Y");
        if (words_.size() > most) Fail("unexpected " + Quote(words_[most]) + " after the event");
        ScriptEvent event{.kind = kind, .x = Coordinate("X", words_[1]), .y = Coordinate("Y", words_[2])};
        if (words_.size() == 4) event.button = Button(words_[3]);
        return event;
    }

    ScriptEvent Key() const {
        if (words_.size() != 2) Fail("\"key\" takes one key: Left, Right, Home, End, Space, Enter or Tab");
        for (const auto& [name, code] : kKeys)
            if (words_[1] == name) return ScriptEvent{.kind = ScriptEvent::Kind::Key, .key = code};
        Fail("unknown key " + Quote(words_[1]) + "; keys are Left, Right, Home, End, Space, Enter and Tab");
    }

    ScriptEvent AccessKey() const {
        const String character = words_.size() == 2 ? FromUtf8(words_[1]) : String();
        const bool pair = character.size() == 2 && character[0] >= 0xD800 && character[0] <= 0xDBFF;
        if (!(character.size() == 1 || pair) || character.find(u'\uFFFD') != String::npos)
            Fail("\"alt\" takes one character, as a caption marks it with &");
        const char32_t code = pair ? 0x10000 + ((character[0] - 0xD800) << 10) + (character[1] - 0xDC00) : character[0];
        return ScriptEvent{.kind = ScriptEvent::Kind::AccessKey, .character = code};
    }

    ScriptEvent Bare(ScriptEvent::Kind kind) const {
        if (words_.size() > 1) Fail(Quote(words_[0]) + " takes no arguments, not " + Quote(words_[1]));
        return ScriptEvent{.kind = kind};
    }

    Single Coordinate(const char* axis, std::string_view word) const {
        double value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error == std::errc::result_out_of_range) Fail(std::string(axis) + " is out of range: " + Quote(word));
        if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
            Fail(std::string(axis) + " is not a number: " + Quote(word));
        // The mouse events carry Singles; a coordinate beyond them has no
        // place on any screen.
        if (std::abs(value) > std::numeric_limits<Single>::max())
            Fail(std::string(axis) + " is out of range: " + Quote(word));
        return static_cast<Single>(value);
    }

    Integer Button(std::string_view word) const {
        const std::optional<long long> value = WholeNumber(word);
        for (Integer button : kButtons)
            if (value == button) return button;
        Fail("BUTTON is 1 (left), 2 (right) or 4 (middle), not " + Quote(word));
    }

    std::vector<std::string_view> words_;
    std::string where_;
};

// The strip's columns with their gaps, plus the margin, as a window width.
int DefaultWidth(LumoraListControl& control) {
    const Long count = control.get_NumberOfRows();
    // Damaged widths may be huge or negative; 64 bits hold any sum of them.
    std::int64_t width = kRightMargin;
    for (Long i = 1; i <= count; ++i) width += control.get_RowWidth(i) + kColumnGap;
    return static_cast<int>(std::clamp<std::int64_t>(width, 1, kMaxWidth));
}

void Replay(headless::HeadlessHost& host, const std::vector<ScriptEvent>& events) {
    // A move between a press and its release reports the buttons still
    // held, as the system's mouse messages do.
    Integer held = 0;
    for (const ScriptEvent& event : events) {
        switch (event.kind) {
            case ScriptEvent::Kind::Move:
                host.MoveMouse(event.x, event.y, held);
                break;
            case ScriptEvent::Kind::Down:
                held = static_cast<Integer>(held | event.button);
                host.PressMouse(event.x, event.y, event.button);
                break;
            case ScriptEvent::Kind::Up:
                held = static_cast<Integer>(held & ~event.button);
                host.ReleaseMouse(event.x, event.y, event.button);
                break;
            case ScriptEvent::Kind::Focus:
                host.Focus();
                break;
            case ScriptEvent::Kind::Blur:
                host.Blur();
                break;
            case ScriptEvent::Kind::Key:
                host.PressKey(event.key);
                break;
            case ScriptEvent::Kind::AccessKey:
                host.PressAccessKey(event.character);
                break;
        }
    }
}

}  // namespace

std::vector<ScriptEvent> ParseEventScript(std::string_view script) {
    std::vector<ScriptEvent> events;
    std::size_t start = 0;
    while (start <= script.size()) {
        const std::size_t end = std::min(script.find(';', start), script.size());
        const std::string_view item = script.substr(start, end - start);
        if (!Words(item).empty()) events.push_back(EventReader(static_cast<int>(events.size()) + 1, item).Read());
        start = end + 1;
    }
    return events;
}

RenderOptions ParseRenderArguments(std::span<const std::string> args) {
    RenderOptions options;
    bool haveForm = false;
    bool haveOutput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "-o" || arg == "--width" || arg == "--dpi" || arg == "--scale" || arg == "--events";
        if (takesValue && i + 1 == args.size()) throw UsageError(arg + " needs a value");
        if (arg == "-o") {
            options.output = args[++i];
            haveOutput = !options.output.empty();
        } else if (arg == "--width") {
            options.width = BoundedOption(arg, args[++i], 1, kMaxWidth);
        } else if (arg == "--dpi") {
            options.dpi = BoundedOption(arg, args[++i], 1, kMaxDpi);
        } else if (arg == "--scale") {
            options.scale = ScaleOption(args[++i]);
        } else if (arg == "--events") {
            options.events = ParseEventScript(args[++i]);
        } else if (arg == "--print-events") {
            options.printEvents = true;
        } else if (arg.starts_with('-')) {
            throw UsageError("unknown option '" + arg + "'");
        } else if (haveForm) {
            throw UsageError("render takes one form file");
        } else {
            options.form = arg;
            haveForm = true;
        }
    }
    if (!haveForm) throw UsageError("render needs a form file");
    if (!haveOutput) throw UsageError("render needs -o STRIP.png");
    return options;
}

void ReportSkippedKeys(const std::filesystem::path& form, const forms::JsonPropertyBag& bag, std::ostream& err) {
    const std::vector<forms::JsonPropertyBag::SkippedKey> skipped = bag.SkippedKeys();
    const std::string where = "lumora: warning: " + forms::ReadableText(form.string(), 200) + ": ";
    const std::size_t shown = std::min(skipped.size(), kMaxReportedKeys);
    for (std::size_t i = 0; i < shown; ++i)
        err << where << "skipped \"" << skipped[i].key << "\": " << skipped[i].reason << '\n';
    if (skipped.size() > shown) err << where << "and " << skipped.size() - shown << " more keys skipped\n";
}

void RenderForm(const RenderOptions& options, std::ostream& out, std::ostream& err) {
    forms::JsonPropertyBag bag = forms::LoadFormFile(options.form);
    headless::HeadlessHost host(options.width.value_or(kInitialWidth), kInitialHeight);
    // Fonts take the resolution of the screen they are made on, so the
    // screen has it before the form brings its font.
    host.surface().SetDpi(options.dpi, options.dpi);
    if (options.scale != 1.0) host.SetDeviceScale(options.scale);
    bag.SetPictureFiles(&host.pictureFiles());
    host.control().ReadProperties(bag);
    ReportSkippedKeys(options.form, bag, err);
    const int width = options.width ? *options.width : DefaultWidth(host.control());
    host.SetClientSize(width, host.clientRect().bottom);
    host.TakeLog();
    Replay(host, options.events);
    if (options.printEvents) {
        for (const std::string& entry : host.TakeLog())
            for (const std::string_view name : kEventNames)
                if (entry.starts_with(name)) out << entry << '\n';
    }
    if (host.imageCut()) {
        const Rect window = host.clientRect();
        err << "lumora: warning: " << forms::ReadableText(options.form.string(), 200) << ": the strip is "
            << window.right << "x" << window.bottom << " pixels, more than an image holds ("
            << headless::PersistentImage::kMaxPixels << " pixels); the picture shows its top " << host.image().width
            << "x" << host.image().height << "\n";
    }
    soft::WritePng(host.image(), options.output);
    out << "lumora: wrote " << options.output.string() << '\n';
}

}  // namespace lumora::cli
