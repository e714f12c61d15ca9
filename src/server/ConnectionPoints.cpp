// SPDX-License-Identifier: MIT
#include "ConnectionPoints.h"
