// SPDX-License-Identifier: MIT
#pragma once

// The identifiers of the control library, fixed once: containers save forms
// by these, so they never change. The type library's source takes them from
// here, and the C++ code takes them from the header the type library's
// compiler writes. The type library compiler reads them as written, so the
// formatter leaves them alone.
// clang-format off
#define LUMORA_LIBID 86ECB90D-BACE-4819-9C5D-5B42AE0010CA
#define LUMORA_IID_REGISTER 9063D96B-1045-4EB2-884E-AF6434D450CB
#define LUMORA_CLSID_REGISTER 90C5BA70-67C8-425A-A305-B8CBA4D7124B
#define LUMORA_IID_CONTROL A9CCE730-F6F2-4976-872D-D926296BCE56
#define LUMORA_CLSID_CONTROL A45DC65F-BD3C-46B2-98D7-89DEA5F70F62
#define LUMORA_IID_TABSC D57C7A6B-24D1-4AEF-B7E8-CBDF3B529A95
#define LUMORA_CLSID_TABSC E6D3E962-41CA-42DC-BC95-6FBFF523F779
#define LUMORA_IID_ALLGEMEIN 5F58F5EC-50BC-44EC-9DF6-B2B622FC6CD5
#define LUMORA_CLSID_ALLGEMEIN 401C6545-E30C-43C7-9350-1B0AB84B5276
#define LUMORA_DIID_EVENTS 51D37278-E01A-45E1-8F0E-DC33D515E341
// clang-format on
