// SPDX-License-Identifier: MIT
#include "lumora/platform/Font.h"

namespace lumora {

FontDescription Describe(const IFont& font) {
    return FontDescription{
        .name = font.get_Name(),
        .size = font.get_Size(),
        .bold = font.get_Bold(),
        .italic = font.get_Italic(),
        .underline = font.get_Underline(),
        .strikethrough = font.get_Strikethrough(),
        .weight = font.get_Weight(),
        .charset = font.get_Charset(),
    };
}

void Apply(const FontDescription& description, IFont& font) {
    font.put_Name(description.name);
    font.put_Size(description.size);
    font.put_Italic(description.italic);
    font.put_Underline(description.underline);
    font.put_Strikethrough(description.strikethrough);
    font.put_Charset(description.charset);
    // Bold and weight are one value; the weight is the finer of the two and
    // is set last so that it stands.
    font.put_Bold(description.bold);
    if (description.bold == (description.weight > kBoldWeightThreshold)) font.put_Weight(description.weight);
}

}  // namespace lumora
