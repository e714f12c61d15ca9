// SPDX-License-Identifier: MIT
#include "ComErrorInfo.h"
