// SPDX-License-Identifier: MIT
#pragma once

// Who the component is and where its users reach its makers, as the About
// box and the information page show it.
namespace lumora::pages::product {

inline constexpr const char16_t* kName = u"Lumora List Control";
inline constexpr const char16_t* kMaker = u"Dorvane Software";
// The title of messages that name no title of their own: the component's
// project name, as the runtime takes it.
inline constexpr const char16_t* kDefaultMessageTitle = u"DorvaneLumoraStyleList";

// The addresses shown on the About box's link labels, and the links a click
// on each opens.
inline constexpr const char16_t* kSupportMail = u"support@example.com";
inline constexpr const char16_t* kSupportMailLink = u"mailto:support@example.com";
inline constexpr const char16_t* kHomepage = u"https://www.example.org/lumora/";
inline constexpr const char16_t* kHomepageLink = u"https://www.example.org/lumora/";
inline constexpr const char16_t* kNewsgroup = u"news.example.net";
inline constexpr const char16_t* kNewsgroupLink = u"news://news.example.net/lumora.support";

}  // namespace lumora::pages::product
