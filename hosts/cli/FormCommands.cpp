// SPDX-License-Identifier: MIT
#include "FormCommands.h"

#include <string_view>

#include "RenderCommand.h"
#include "forms/JsonForm.h"
#include "lumora/forms/FormConversion.h"
#include "lumora/forms/JsonFormFile.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/PngWriter.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "usage: lumora new FORM.json    write the form of a newly placed control\n"
    "       lumora show FORM.json   print the properties and columns a form loads with\n"
    "       lumora render FORM.json -o STRIP.png [--width PIXELS] [--dpi N] [--scale S]\n"
    "                               [--events SCRIPT] [--print-events]\n"
    "                               draw the strip the form loads with, after the events, as PNG\n"
    "       lumora convert IN OUT   write the form IN holds to OUT in the other format\n"
    "  FORM, IN  a JSON form file or the control's form stream, told apart by content\n"
    "  new, OUT  a .lumora name gets a form stream, a .json name JSON; any other name\n"
    "            gets JSON from new and, from convert, the format IN is not\n"
    "  --width  window width, 1 to 32767 (default: the columns plus 40)\n"
    "  --dpi    screen resolution, 1 to 960 (default: 96)\n"
    "  --scale  draw the strip S times larger, 0.5 to 4 (default: 1); the window,\n"
    "           the events and the control keep their own pixels\n"
    "  --events \"move X Y; down X Y [BUTTON]; up X Y [BUTTON]; focus; blur; key NAME; alt C\"\n"
    "           X and Y in client pixels, BUTTON 1 left (default), 2 right, 4 middle;\n"
    "           NAME Left, Right, Home, End, Space, Enter or Tab; C an access key's character\n"
    "  --print-events  print each event the strip raises, with its arguments, one per line\n";

struct Command {
    std::string_view name;
    void (*run)(const std::filesystem::path& form, std::ostream& out, std::ostream& err);
};

constexpr Command kCommands[] = {
    {"new", NewForm},
    {"show", ShowForm},
};

// Values print as a form file holds them, except that colours show as the
// unsigned numbers hosts and documentation use (2147483666, not the Long
// -2147483630 the file stores).
Json Flag(Boolean value) { return forms::VariantToJson(Variant::FromBoolean(value)); }
Json Number(Single value) { return forms::VariantToJson(Variant::FromSingle(value)); }
Json Text(const String& value) { return ToUtf8(value); }

// A value that cannot be shown (a font size JSON cannot hold, a column the
// list lacks) prints as null, so one damaged value never hides the rest.
template <typename Get>
Json OrNull(Get get) {
    try {
        return get();
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

Json DescribeProperties(const LumoraListControl& control) {
    return Json::object({
        {"HeaderHeight", control.get_HeaderHeight()},
        {"BackColor", control.get_BackColor()},
        {"ForeColor", control.get_ForeColor()},
        {"ForeColorActive", control.get_ForeColorActive()},
        {"BackColorForm", control.get_BackColorForm()},
        {"MouseMoveColor0", control.get_MouseMoveColor0()},
        {"MouseMoveColor1", control.get_MouseMoveColor1()},
        {"MouseMoveColor2", control.get_MouseMoveColor2()},
        {"RegisterFocusColor0", control.get_RegisterFocusColor0()},
        {"RegisterFocusColor1", control.get_RegisterFocusColor1()},
        {"RegisterFocusColor2", control.get_RegisterFocusColor2()},
        {"FrameColor", control.get_FrameColor()},
        {"Font", OrNull([&] { return forms::VariantToJson(Variant::FromFont(control.get_Font())); })},
        {"FontBold", Flag(control.get_FontBold())},
        {"FontItalic", Flag(control.get_FontItalic())},
        {"FontStrikethru", Flag(control.get_FontStrikethru())},
        {"FontUnderline", Flag(control.get_FontUnderline())},
        {"FontSize", OrNull([&] { return Number(control.get_FontSize()); })},
        {"FontName", Text(control.get_FontName())},
        {"MaskColor", control.get_MaskColor()},
        {"NumberOfRows", control.get_NumberOfRows()},
        {"Alignment", static_cast<Long>(control.get_Alignment())},
        {"ForeColorHot", control.get_ForeColorHot()},
        {"SortedRow", control.get_SortedRow()},
        {"ShowFrame", Flag(control.get_ShowFrame())},
        {"ShowSortPic", Flag(control.get_ShowSortPic())},
        {"ColumnWidths", Text(control.get_ColumnWidths())},
        {"SelectedRow", control.get_SelectedRow()},
        // The keys the control hands its host, one a column that has one.
        {"AccessKeys", Text(control.TabAccessKeys())},
    });
}

Json DescribeColumn(LumoraListControl& control, Long index) {
    return Json::object({
        {"RowCaption", OrNull([&] { return Text(control.get_RowCaption(index)); })},
        {"RowWidth", OrNull([&] { return Json(control.get_RowWidth(index)); })},
        {"RowSorted", OrNull([&] { return Flag(control.get_RowSorted(index)); })},
        {"RowPicture",
         OrNull([&] { return forms::VariantToJson(Variant::FromPicture(control.get_RowPicture(index))); })},
    });
}

int Fail(std::ostream& err, const std::string& message) {
    err << "lumora: " << message << '\n';
    return kExitFailure;
}

int Usage(std::ostream& err, const std::string& problem) {
    err << "lumora: " << problem << '\n' << kUsage;
    return kExitUsage;
}

const Command* FindCommand(std::string_view name) {
    for (const Command& command : kCommands)
        if (command.name == name) return &command;
    return nullptr;
}

// Runs a command whose command line is right and reports how it ended.
template <typename Work>
int Perform(Work work, std::ostream& out, std::ostream& err) {
    try {
        work();
    } catch (const forms::FormFileError& error) {
        return Fail(err, error.what());
    } catch (const soft::PngError& error) {
        return Fail(err, error.what());
    } catch (const RuntimeError& error) {
        return Fail(err, "error " + std::to_string(error.number()) + ": " + error.description());
    }
    // A full disk or a closed pipe must not pass for a complete listing.
    if (!out.flush()) return Fail(err, "cannot write the output");
    return kExitSuccess;
}

int Render(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    RenderOptions options;
    try {
        options = ParseRenderArguments(args);
    } catch (const UsageError& error) {
        return Usage(err, error.what());
    } catch (const EventScriptError& error) {
        // The message already says where the script went wrong; the whole
        // usage text would only bury it.
        err << "lumora: " << error.what() << '\n';
        return kExitUsage;
    }
    return Perform([&] { RenderForm(options, out, err); }, out, err);
}

}  // namespace

Json DescribeControl(LumoraListControl& control) {
    Json columns = Json::array();
    for (Long i = 1; i <= control.get_NumberOfRows(); ++i) columns.push_back(DescribeColumn(control, i));
    return Json::object({{"properties", DescribeProperties(control)}, {"columns", std::move(columns)}});
}

void NewForm(const std::filesystem::path& form, std::ostream& out, std::ostream&) {
    headless::HeadlessHost host;
    host.control().InitProperties();
    if (forms::FormatOfExtension(form) == forms::FormFormat::Stream) {
        forms::MemoryPropertyBag bag;
        host.control().WriteProperties(bag);
        forms::SaveStreamAs(forms::FormStreamOfBag(bag, form), form, forms::FormFormat::Stream);
    } else {
        forms::JsonPropertyBag bag;
        host.control().WriteProperties(bag);
        bag.Save(form);
    }
    out << "lumora: wrote " << form.string() << '\n';
}

void ShowForm(const std::filesystem::path& form, std::ostream& out, std::ostream& err) {
    forms::JsonPropertyBag bag = forms::LoadFormFile(form);
    headless::HeadlessHost host;
    bag.SetPictureFiles(&host.pictureFiles());
    host.control().ReadProperties(bag);
    ReportSkippedKeys(form, bag, err);
    out << DescribeControl(host.control()).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

void ConvertForm(const std::filesystem::path& in, const std::filesystem::path& out, std::ostream& log) {
    const forms::FormFormat written = forms::ConvertFormFile(in, out, forms::FormatOfExtension(out));
    log << "lumora: wrote " << out.string() << (written == forms::FormFormat::Json ? " (JSON)" : " (form stream)")
        << '\n';
}

int Run(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
        out << kUsage;
        return kExitSuccess;
    }
    if (args.size() < 2) return Usage(err, "no command given");
    if (args[1] == "render") return Render(std::span(args).subspan(2), out, err);
    if (args[1] == "convert") {
        if (args.size() != 4) return Usage(err, "convert takes a form file and the file to write");
        return Perform([&] { ConvertForm(args[2], args[3], out); }, out, err);
    }
    const Command* command = FindCommand(args[1]);
    if (!command) return Usage(err, "unknown command '" + args[1] + "'");
    if (args.size() != 3) return Usage(err, args[1] + " takes one form file");
    return Perform([&] { command->run(args[2], out, err); }, out, err);
}

}  // namespace lumora::cli
