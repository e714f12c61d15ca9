// SPDX-License-Identifier: MIT
#include "WindowlessSite.h"
