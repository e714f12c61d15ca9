// SPDX-License-Identifier: MIT
// Loads a form file into a control on the headless host and writes the strip
// as PNG: render-form FORM.json STRIP.png
#include <exception>
#include <iostream>

#include "lumora/forms/JsonFormFile.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/PngWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: render-form FORM.json STRIP.png\n";
        return 2;
    }
    try {
        lumora::forms::JsonPropertyBag form = lumora::forms::JsonPropertyBag::Load(argv[1]);
        lumora::headless::HeadlessHost host;
        // Pictures the form holds are made on the host's drawing surface.
        form.SetPictureFiles(&host.pictureFiles());
        host.control().ReadProperties(form);
        // The control draws when its container first sizes it; its height
        // follows the form's HeaderHeight.
        host.SetClientSize(400, 25);
        lumora::soft::WritePng(host.image(), argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "render-form: " << error.what() << '\n';
        return 1;
    }
}
