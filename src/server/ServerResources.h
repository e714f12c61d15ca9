// SPDX-License-Identifier: MIT
#pragma once

// Resource numbers of the control library, shared by its resource script
// and its code; plain macros, since the resource compiler reads them too.

// The picture a form designer shows for the control in its toolbox.
#define LUMORA_IDB_TOOLBOX 101
